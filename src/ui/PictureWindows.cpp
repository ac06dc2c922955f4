#include "ui/PictureWindows.h"

#include "app/Msg.h"
#include "keys/CAuthManager.h"
#include "keys/KeyFileNames.h"
#include "platform/FileAttributes.h"
#include "ui/CAuthKeyLimitSetDlg.h"
#include "ui/CAuthkeyCompleteDlg.h"
#include "ui/CKeyChain.h"
#include "ui/CKeyChainList.h"
#include "ui/CTessaryDlg.h"
#include "workbench/AppSession.h"
#include "workbench/MailUsesHandOver.h"

namespace mvx::ui {

namespace {

// The first partner key of the key root, for the completion lines.
std::string partnerKeyName(const CKeyManager& keys)
{
    for (const std::string& name : FileAttributes::entries(keys.keyRoot()))
        if (KeyFileNames::kindOf(name) == KeyKind::Public && keys.keyRoot() + name != keys.ownPublicKeyPath())
            return name;
    return "partner.kpub";
}

QWidget* authenticationComplete(CTessaryDlg& window, AppSession& session)
{
    static MailUsesHandOver mail;
    CMessenger& messenger = session.messenger();
    const CKeyManager& keys = session.keys();
    const std::string partner = partnerKeyName(keys);
    const std::string own = KeyFileNames::stemOf(KeyFileNames::fileNameOf(keys.ownPublicKeyPath()));
    const std::vector<std::string> lines = {
        partner + "\t" + messenger.text(Msg::ReceivedPublicKeyNote),
        KeyFileNames::fileNameOf(keys.ownPrivateKeyPath()) + "\t" + messenger.text(Msg::YourPrivateKeyNote),
        KeyFileNames::authKeyName(KeyFileNames::stemOf(partner), own) + "\t" + messenger.text(Msg::AuthKeyNote)};
    return new CAuthkeyCompleteDlg(messenger, lines, {}, mail, &window);
}

} // namespace

QWidget* openForPicture(const QString& name, CTessaryDlg& window, AppSession& session)
{
    CMessenger& messenger = session.messenger();
    const CKeyManager& keys = session.keys();
    if (name == "keychainlist") {
        window.showKeyChainList();
        return window.keyChainWindow();
    }
    QWidget* shown = nullptr;
    if (name == "keychain") {
        static CAuthManager history;
        history.load(keys.keyFolder() + "authhistory.dat");
        shown = new CKeyChain(messenger, history, keys.ownPublicKeyPath(), keys.keyRoot(), &window);
    } else if (name == "authlimit") {
        static mvx::CAuthKeyLimitSetDlg limits;
        limits.noLimit = false;
        shown = new CAuthKeyLimitSetDlg(limits, messenger, &window);
    } else if (name == "authcomplete") {
        shown = authenticationComplete(window, session);
    }
    if (shown)
        shown->show();
    return shown;
}

} // namespace mvx::ui
