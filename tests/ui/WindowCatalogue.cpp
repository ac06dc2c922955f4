#include "WindowCatalogue.h"

#include "app/IFolderFacts.h"
#include "app/Msg.h"
#include "keys/CAuthManager.h"
#include "keys/DestinationListEditor.h"
#include "keys/KeyFileNames.h"
#include "keys/StrayKeys.h"
#include "ui/containers/CEncryptOptDlg.h"
#include "ui/containers/CHistoryFileSelector.h"
#include "ui/containers/CKeyListSel.h"
#include "ui/containers/CKlxHistoryViewDlg.h"
#include "ui/containers/CKlxSetAdrsViewDlg.h"
#include "ui/containers/CQrcodeViewDlg.h"
#include "ui/containers/CTransportKlxSelDlg.h"
#include "ui/keys/CAuthkeyCompleteDlg.h"
#include "ui/keys/CAuthKeyLimitSetDlg.h"
#include "ui/keys/CKeyChain.h"
#include "ui/keys/CKeyChainList.h"
#include "ui/keys/CKeyChainList_Add.h"
#include "ui/keys/CKeygenWizard.h"
#include "ui/keys/COutdatedAuthKeyReportDlg.h"
#include "ui/main/COptionDetailDlg.h"
#include "ui/main/COptions.h"
#include "ui/main/CTessaryDialogMini.h"
#include "ui/main/CTessaryDlg.h"
#include "ui/service/CProgressDiag.h"
#include "ui/service/CVelquinLoginDiag.h"
#include "ui/service/CVelquinSendDlg.h"
#include "workbench/AppSession.h"
#include "workbench/CandidateList.h"
#include "workbench/KeySetWizardFlow.h"
#include "workbench/MailUsesHandOver.h"
#include "workbench/OptionsApply.h"

#include <QLineEdit>
#include <QTest>

namespace mvx::test {

namespace {

void show(const QString& name, QWidget& window, const WindowVisit& visit)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return;
    QTest::qWait(100);
    visit(name, window);
    window.close();
}

void visitMainWindows(AppSession& session, const WindowVisit& visit)
{
    ui::CTessaryDlg main(session);
    show("main-window", main, visit);
    main.showMiniWindow();
    if (main.miniWindow()) {
        main.miniWindow()->hide();
        show("mini-window", *main.miniWindow(), visit);
    }
    session.settings().useSmallMenu = 0;
}

void visitWizard(AppSession& session, const WindowVisit& visit)
{
    KeySetWizardFlow flow(session);
    flow.chooseKeyRoot();
    ui::CKeygenWizard wizard(session, flow);
    const bool japanese = session.language().code() == "ja";
    wizard.findChild<QLineEdit*>("keySetName")->setText("suzuki");
    wizard.findChild<QLineEdit*>("userName")->setText(japanese ? "鈴木 一郎" : "Ichiro Suzuki");
    wizard.findChild<QLineEdit*>("mailAddress")->setText("ichiro@example.org");
    wizard.show();
    for (int page = 1; page <= 4; ++page) {
        if (page > 1)
            wizard.next();
        show(QString("keygen-wizard-%1").arg(page), wizard, visit);
    }
}

void visitOptions(AppSession& session, const WindowVisit& visit)
{
    const SystemFolderFacts facts;
    OptionsValues values = OptionsApply::current(session);
    ui::COptions options(values,
                         {session.messenger(), facts, session.settings().keyPairRoot, session.folder(), true});
    show("options", options, visit);
    ui::COptionDetailDlg detail(values, session.messenger());
    show("option-detail", detail, visit);
}

// The destination list, the key selection, the expiry, the completion, the
// entry of a destination, the destination selection and the outdated keys.
void visitKeyWindows(AppSession& session, const WindowVisit& visit)
{
    CMessenger& messenger = session.messenger();
    CKeyManager& keys = session.keys();
    MailUsesHandOver mail;
    DestinationListEditor list(messenger, keys, nullptr);
    StrayKeys strays(messenger, keys);
    {
        ui::CKeyChainList listWindow(session, list, strays, mail, {});
        listWindow.showOnKeyFolder();
        show("keychainlist", listWindow, visit);
    }
    CAuthManager history;
    history.load(keys.keyFolder() + "authhistory.dat");
    ui::CKeyChain choose(messenger, history, keys.ownPublicKeyPath(), keys.keyRoot());
    show("keychain", choose, visit);
    mvx::AuthExpiryRules limits;
    limits.noLimit = false;
    ui::CAuthKeyLimitSetDlg limit(limits, messenger);
    show("authlimit", limit, visit);

    const std::string own = KeyFileNames::stemOf(KeyFileNames::fileNameOf(keys.ownPublicKeyPath()));
    const std::vector<std::string> lines = {
        "smith.kpub\t" + messenger.text(Msg::ReceivedPublicKeyNote),
        KeyFileNames::fileNameOf(keys.ownPrivateKeyPath()) + "\t" + messenger.text(Msg::YourPrivateKeyNote),
        KeyFileNames::authKeyName("smith", own) + "\t" + messenger.text(Msg::AuthKeyNote)};
    ui::CAuthkeyCompleteDlg complete(messenger, lines, {}, mail);
    show("authcomplete", complete, visit);

    DestinationListEditor::EntryFields entry{"John Smith", "john@example.com", keys.keyFolder() + "smith-auth.kpub",
                                     keys.keyFolder()};
    ui::CKeyChainList_Add add(entry, false, messenger);
    show("keychainlist-add", add, visit);

    CandidateList candidates(list);
    mvx::DestinationChoiceRules selection(true);
    ui::CKeyListSel destinations(selection, candidates, messenger);
    show("destination-selection", destinations, visit);
    mvx::EncryptOptionRules fields(true);
    ui::CEncryptOptDlg encryptOptions(fields, messenger);
    show("encryption-options", encryptOptions, visit);

    ui::COutdatedAuthKeyReportDlg outdated(messenger, {{"John Smith", "smith-auth.kpub", keys.keyFolder(),
                                                        "2025/03/31"}});
    show("outdated-keys", outdated, visit);
}

// The container dialogs: history, the choice of a container, forwarding.
void visitContainerWindows(AppSession& session, const WindowVisit& visit)
{
    const CMessageTable& table = session.table();
    const std::vector<ContainerRow> rows = {{"report.txt.klx", "2026/12/09 10:15"},
                                            {"budget-2027-final.ods.klx", "2026/12/10 08:02"}};
    HistoryViewer::View view{"budget.ods.klx", session.folder(),
                             {{"2026/12/9 10:15", table.text(Msg::HistoryOpCreated), "John Smith", "john@example.com"},
                              {"2026/12/10 08:02", table.text(Msg::HistoryOpViewed), "Ichiro Suzuki",
                               "ichiro@example.org"}}};
    ui::CKlxHistoryViewDlg history(table, view);
    show("history-viewer", history, visit);
    ui::CHistoryFileSelector historyFiles(table, rows);
    show("history-selector", historyFiles, visit);
    ui::CTransportKlxSelDlg forward(table, rows);
    show("forward-selector", forward, visit);
    ui::CKlxSetAdrsViewDlg addresses(table, {{"John Smith", "john@example.com"}, {"Ichiro Suzuki", "ichiro@example.org"}});
    show("forward-addresses", addresses, visit);
}

void visitServiceWindows(AppSession& session, const WindowVisit& visit)
{
    ui::CQrcodeViewDlg barcode(session, [] {});
    show("barcode-window", barcode, visit);
    ServiceAction::Request login;
    login.action = "login";
    ui::CVelquinLoginDiag loginWindow(session, login);
    show("service-login", loginWindow, visit);
    ui::CVelquinSendDlg send(session, ServiceSendForm::Mode::Transfer, {"/home/ichiro/Documents/report.txt.klx"});
    show("service-send", send, visit);
    ServiceAction::Request connect;
    connect.action = "connect";
    ui::CProgressDiag progress(session, connect);
    show("progress-window", progress, visit);
}

} // namespace

void visitEveryWindow(AppSession& session, const WindowVisit& visit)
{
    visitMainWindows(session, visit);
    visitWizard(session, visit);
    visitOptions(session, visit);
    visitKeyWindows(session, visit);
    visitContainerWindows(session, visit);
    visitServiceWindows(session, visit);
}

} // namespace mvx::test
