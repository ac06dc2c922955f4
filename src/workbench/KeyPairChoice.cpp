#include "workbench/KeyPairChoice.h"

#include "app/Msg.h"
#include "keys/KeyFileNames.h"
#include "keys/KeyFileStore.h"
#include "platform/FileAttributes.h"
#include "workbench/AppSession.h"

namespace mvx {

namespace {

std::string firstOf(const std::vector<std::string>& files) { return files.empty() ? std::string() : files.front(); }

} // namespace

bool KeyPairChoice::chooseByHand()
{
    CMessenger& messenger = session_.messenger();
    IInteraction& ui = messenger.interaction();
    const std::string startFolder = session_.keys().keyRoot();
    const std::string privateKey = firstOf(ui.chooseFilesFiltered(
        messenger.text(Msg::SelectPrivateKeyFile), startFolder, messenger.text(Msg::PrivateKeyFileFilter)));
    if (privateKey.empty())
        return false;
    const std::string publicKey =
        firstOf(ui.chooseFilesFiltered(messenger.text(Msg::SelectPublicKeyFile), KeyFileNames::folderOf(privateKey),
                                       messenger.text(Msg::PublicKeyFileFilter)));
    if (publicKey.empty() || !session_.keys().adoptKeyPair(publicKey, privateKey))
        return false;
    rememberOwnKeySet();
    return true;
}

bool KeyPairChoice::keyPairMoved() const
{
    const Settings& settings = session_.settings();
    if (!session_.settingsFound() || settings.keyPairRoot.empty() || settings.publicKeyName.empty() ||
        settings.privateKeyName.empty())
        return false;
    return !FileAttributes::isRegularFile(settings.keyPairRoot + settings.publicKeyName) ||
           !FileAttributes::isRegularFile(settings.keyPairRoot + settings.privateKeyName);
}

bool KeyPairChoice::locateMovedKeyPair()
{
    CMessenger& messenger = session_.messenger();
    if (!messenger.askYesNo(Msg::KeyPairMovedQuestion, MsgIcon::Stop))
        return false;
    const Settings& settings = session_.settings();
    for (;;) {
        const auto folder = messenger.interaction().chooseFolderPrompted(
            messenger.text(Msg::SelectFolderTitle), messenger.text(Msg::ChooseMovedKeyFolder), std::string());
        if (!folder || folder->empty())
            return false;
        const std::string root = KeyFileNames::withTrailingSlash(*folder);
        if (KeyFileStore::keyPairIsValid(root + settings.publicKeyName, root + settings.privateKeyName)) {
            session_.keys().findOwnKeySet(root, settings.publicKeyName, settings.privateKeyName);
            rememberOwnKeySet();
            return true;
        }
        messenger.show(Msg::SelectedKeyPairAbnormal, MsgIcon::Stop);
    }
}

void KeyPairChoice::rememberOwnKeySet()
{
    const CKeyManager& keys = session_.keys();
    Settings& settings = session_.settings();
    settings.keyPairRoot = keys.keyRoot();
    settings.publicKeyName = KeyFileNames::fileNameOf(keys.ownPublicKeyPath());
    settings.privateKeyName = KeyFileNames::fileNameOf(keys.ownPrivateKeyPath());
    session_.store().derivePaths(settings);
    session_.saveSettings();
}

} // namespace mvx
