#include "workbench/InPlaceOpenings.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "engine/FileDecryptor.h"
#include "keys/CKeyManager.h"
#include "keys/KeyFolderSenderDirectory.h"
#include "platform/AppLauncher.h"
#include "workbench/AppSession.h"
#include "workbench/OpenInPlace.h"

namespace mvx {

bool InPlaceOpenings::begin(const std::string& containerPath)
{
    std::lock_guard lock(mutex_);
    return open_.insert(containerPath).second;
}

void InPlaceOpenings::end(const std::string& containerPath)
{
    std::lock_guard lock(mutex_);
    open_.erase(containerPath);
}

bool InPlaceOpenings::isOpen(const std::string& containerPath) const
{
    std::lock_guard lock(mutex_);
    return open_.count(containerPath) != 0;
}

InPlaceOpenings::KeySetPlace InPlaceOpenings::keySetOfNow() const
{
    const Settings& settings = session_.settings();
    return {settings.keyPairRoot, settings.publicKeyName, settings.privateKeyName};
}

int InPlaceOpenings::open(const std::string& containerPath, const KeySetPlace& keySet)
{
    CMessenger& messenger = session_.messenger();
    if (!begin(containerPath)) {
        messenger.show(Msg::ContainerAlreadyOpenInPlace, MsgIcon::Exclamation, containerPath);
        return OpenInPlace::kNotOpened;
    }
    struct Unmark {
        InPlaceOpenings& openings;
        const std::string& path;
        ~Unmark() { openings.end(path); }
    } unmark{*this, containerPath};
    CKeyManager keys(messenger);
    keys.findOwnKeySet(keySet.root, keySet.publicKeyName, keySet.privateKeyName);
    FileDecryptor decryptor(messenger, keys.ownPublicKeyPath(), keys.ownPrivateKeyPath());
    KeyFolderSenderDirectory senders(keys);
    decryptor.setSenderDirectory(&senders);
    DesktopLauncher launcher;
    return OpenInPlace(messenger, decryptor, launcher).open(containerPath);
}

} // namespace mvx
