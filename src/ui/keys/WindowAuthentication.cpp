#include "ui/keys/WindowAuthentication.h"

#include "keys/KeyAuthenticator.h"
#include "ui/keys/CAuthkeyCompleteDlg.h"
#include "ui/keys/CAuthKeyLimitSetDlg.h"
#include "ui/keys/CKeyChain.h"
#include "workbench/AppSession.h"

#include <QApplication>

namespace mvx::ui {

namespace {

// Over the window the user works in (the destination list, or the main window).
QWidget* ownerOf(QWidget* fallback)
{
    QWidget* active = QApplication::activeWindow();
    return active ? active : fallback;
}

} // namespace

WindowAuthentication::WindowAuthentication(AppSession& session, IMailHandOver& mail, QWidget* parent)
    : session_(session), mail_(mail), parent_(parent)
{
}

std::string WindowAuthentication::run(const std::vector<std::string>& keyFiles)
{
    CMessenger& messenger = session_.messenger();
    const CKeyManager& keys = session_.keys();
    KeyAuthenticator::Identity identity;
    if (keys.hasOwnKeySet())
        identity = {keys.ownPublicKeyPath(), keys.ownPrivateKeyPath(), keys.userName(), keys.mail(), keys.keyFolder(),
                    {}};
    if (folder_.empty())
        folder_ = keys.keyRoot();
    KeyAuthenticator* running = nullptr;
    KeyAuthenticator::Dialogs dialogs;
    dialogs.chooseKey = [&](const CAuthManager& history) -> std::optional<std::string> {
        CKeyChain dialog(messenger, history, keys.ownPublicKeyPath(), folder_, ownerOf(parent_));
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        folder_ = dialog.folder();
        return dialog.chosen();
    };
    dialogs.askExpiry = [&](mvx::AuthExpiryRules& limits) {
        CAuthKeyLimitSetDlg dialog(limits, messenger, ownerOf(parent_));
        return dialog.exec() == QDialog::Accepted;
    };
    dialogs.complete = [&](const std::vector<std::string>& lines, const std::vector<std::string>&) {
        CAuthkeyCompleteDlg dialog(messenger, lines, running->mailsForRun(), mail_, ownerOf(parent_));
        dialog.exec();
        return dialog.continueWithOtherKeys();
    };
    KeyAuthenticator authenticator(messenger, identity, dialogs);
    running = &authenticator;
    authenticator.limits() = limits_;
    const std::string made = authenticator.authenticate(keyFiles, false, false);
    limits_ = authenticator.limits();
    return made;
}

} // namespace mvx::ui
