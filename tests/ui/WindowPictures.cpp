// Pictures of the key-set wizard's pages and of the options dialogs for
// scripts/screenshots.sh: mvx_window_pictures PROGRAM-FOLDER ja|en OUTPUT-FOLDER
#include "app/IFolderFacts.h"
#include "app/Msg.h"
#include "keys/CAuthManager.h"
#include "keys/CKeyChainList.h"
#include "keys/KeyFileNames.h"
#include "keys/StrayKeys.h"
#include "ui/CAuthKeyLimitSetDlg.h"
#include "ui/CAuthkeyCompleteDlg.h"
#include "ui/CKeyChain.h"
#include "ui/CKeyChainList.h"
#include "ui/CKeygenWizard.h"
#include "ui/COptionDetailDlg.h"
#include "ui/COptions.h"
#include "ui/QtInteraction.h"
#include "workbench/AppSession.h"
#include "workbench/KeySetWizardFlow.h"
#include "workbench/MailUsesHandOver.h"
#include "workbench/OptionsApply.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>

#include <iostream>

namespace {

bool save(QWidget* window, const QString& path)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    QTest::qWait(200);
    std::cout << path.toStdString() << '\n';
    return window->grab().save(path);
}

// The destination list, the key selection, the expiry and the completion
// dialog over the demo key set (the partner's key lies in the key root).
bool saveKeyWindows(mvx::AppSession& session, const QString& out, const QString& language)
{
    mvx::CMessenger& messenger = session.messenger();
    const mvx::CKeyManager& keys = session.keys();
    mvx::MailUsesHandOver mail;
    mvx::CKeyChainList list(messenger, session.keys(), nullptr);
    mvx::StrayKeys strays(messenger, session.keys());
    mvx::ui::CKeyChainList listWindow(session, list, strays, mail, {});
    listWindow.showOnKeyFolder();
    bool saved = save(&listWindow, out + QString("keychainlist-%1.png").arg(language));
    listWindow.hide();

    mvx::CAuthManager history;
    history.load(keys.keyFolder() + "authhistory.dat");
    mvx::ui::CKeyChain choose(messenger, history, keys.ownPublicKeyPath(), keys.keyRoot());
    saved = save(&choose, out + QString("keychain-%1.png").arg(language)) && saved;
    mvx::CAuthKeyLimitSetDlg limits;
    limits.noLimit = false;
    mvx::ui::CAuthKeyLimitSetDlg limit(limits, messenger);
    saved = save(&limit, out + QString("authlimit-%1.png").arg(language)) && saved;

    using mvx::KeyFileNames;
    const std::string own = KeyFileNames::stemOf(KeyFileNames::fileNameOf(keys.ownPublicKeyPath()));
    const std::vector<std::string> lines = {
        "smith.kpub\t" + messenger.text(mvx::Msg::ReceivedPublicKeyNote),
        KeyFileNames::fileNameOf(keys.ownPrivateKeyPath()) + "\t" + messenger.text(mvx::Msg::YourPrivateKeyNote),
        KeyFileNames::authKeyName("smith", own) + "\t" + messenger.text(mvx::Msg::AuthKeyNote)};
    mvx::ui::CAuthkeyCompleteDlg complete(messenger, lines, {}, mail);
    return save(&complete, out + QString("authcomplete-%1.png").arg(language)) && saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 4) {
        std::cerr << "usage: mvx_window_pictures PROGRAM-FOLDER ja|en OUTPUT-FOLDER\n";
        return 2;
    }
    const QString language = argv[2];
    const QString out = QString(argv[3]) + "/";
    mvx::ui::QtInteraction dialogs;
    mvx::AppSession session(dialogs, argv[1], language.toStdString());
    dialogs.setTable(&session.table());
    bool saved = true;

    mvx::KeySetWizardFlow flow(session);
    flow.chooseKeyRoot();
    mvx::ui::CKeygenWizard wizard(session, flow);
    wizard.findChild<QLineEdit*>("keySetName")->setText("suzuki");
    wizard.findChild<QLineEdit*>("userName")->setText(language == "ja" ? "鈴木 一郎" : "Ichiro Suzuki");
    wizard.findChild<QLineEdit*>("mailAddress")->setText("ichiro@example.org");
    for (int page = 1; page <= 4; ++page) {
        if (page > 1)
            wizard.next();
        saved = save(&wizard, out + QString("keygen-wizard-%1-%2.png").arg(page).arg(language)) && saved;
    }
    wizard.hide();

    const mvx::SystemFolderFacts facts;
    mvx::OptionsValues values = mvx::OptionsApply::current(session);
    mvx::ui::COptions options(values, {session.messenger(), facts, session.settings().keyPairRoot, session.folder(),
                                       true});
    saved = save(&options, out + QString("options-%1.png").arg(language)) && saved;
    mvx::ui::COptionDetailDlg detail(values, session.messenger());
    saved = save(&detail, out + QString("option-detail-%1.png").arg(language)) && saved;
    saved = saveKeyWindows(session, out, language) && saved;
    return saved ? 0 : 1;
}
