#include "workbench/KeySetCheck.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "workbench/BatchContext.h"
#include "workbench/BatchFiles.h"

namespace mvx {

bool KeySetCheck::verify(const KeySetPaths& keys, CMessenger& messenger)
{
    if (!keys.settingsFileFound) {
        messenger.show(Msg::SettingsFileNotFound, MsgIcon::Stop);
        return false;
    }
    const bool publicThere = !keys.publicKeyFile.empty() && BatchFiles::isRegularFile(keys.publicKeyFile);
    const bool privateThere = !keys.privateKeyFile.empty() && BatchFiles::isRegularFile(keys.privateKeyFile);
    if (!publicThere && !privateThere) {
        messenger.show(Msg::FirstTimeCreateKeySet, MsgIcon::Stop);
        return false;
    }
    if (!publicThere) {
        messenger.show(Msg::PublicKeyFileNotFound, MsgIcon::Stop);
        return false;
    }
    if (!privateThere) {
        messenger.show(Msg::PrivateKeyFileNotFound, MsgIcon::Stop);
        return false;
    }
    return true;
}

} // namespace mvx
