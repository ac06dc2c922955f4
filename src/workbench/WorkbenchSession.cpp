#include "workbench/WorkbenchSession.h"

#include "app/Settings.h"
#include "keys/CKeyManager.h"

namespace mvx {

namespace {

SenderKeys senderKeysOf(const CKeyManager& keys)
{
    SenderKeys sender;
    if (keys.hasOwnKeySet()) {
        sender.publicKeyFile = keys.ownPublicKeyPath();
        sender.privateKeyFile = keys.ownPrivateKeyPath();
    }
    sender.userName = keys.userName();
    sender.mail = keys.mail();
    sender.ownKeyFingerprint = keys.ownFingerprint();
    return sender;
}

} // namespace

WorkbenchSession::WorkbenchSession(CMessenger& messenger, const Settings& settings, CKeyManager& keys,
                                   bool settingsFound)
    : crypto_(messenger, senderKeysOf(keys)), mailer_(&messenger), senders_(keys), unknownSender_(messenger, keys),
      context_(messenger, studio_, work_)
{
    context_.settings = WorkbenchSettings::from(settings);
    context_.keys = KeySetPaths::from(keys, settingsFound);
    context_.crypto = &crypto_;
    context_.directory = &directory_;
    context_.mailer = &mailer_;
    context_.unknownSender = &unknownSender_;
    crypto_.setSenderDirectory(&senders_);
    context_.usePlatformDefaults();
}

} // namespace mvx
