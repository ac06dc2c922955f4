#include "workbench/UnknownSenderAuthentication.h"

#include "keys/CKeyManager.h"
#include "keys/KeyAuthenticator.h"

namespace mvx {

namespace {

// The creator's key is authenticated without an expiry, as a received key
// that the user accepts after seeing the file.
CreatorAuthentication::Authenticate authenticateWith(CMessenger& messenger, CKeyManager& keys)
{
    return [&messenger, &keys](const std::string& keyFile) {
        KeyAuthenticator::Identity identity{keys.ownPublicKeyPath(), keys.ownPrivateKeyPath(), keys.userName(),
                                            keys.mail(), keys.keyFolder(), {}};
        return KeyAuthenticator(messenger, identity, {}).authenticate({keyFile}, true, true);
    };
}

} // namespace

UnknownSenderAuthentication::UnknownSenderAuthentication(CMessenger& messenger, CKeyManager& keys)
    : list_(messenger, keys, {}), creator_(messenger, launcher_, keys, list_, authenticateWith(messenger, keys))
{
}

void UnknownSenderAuthentication::onUnknownSender(const Decrypted& decrypted)
{
    creator_.afterDecryption({decrypted.batchKind, decrypted.containerPath, decrypted.plainPath, decrypted.senderName,
                              decrypted.senderMail});
}

} // namespace mvx
