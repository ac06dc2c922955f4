#include "keys/KeySetSetup.h"

#include "app/Msg.h"
#include "keys/CKeyManager.h"
#include "keys/KeyAuthenticator.h"
#include "keys/KeyFileNames.h"
#include "keys/KeySetNameRules.h"
#include "platform/FileAttributes.h"

namespace mvx {

KeySetSetup::Result KeySetSetup::finish(const Request& request)
{
    Result result;
    // The wizard's name rules, again for callers without the name page.
    if (!KeySetNameRules::checkForWizard(request.name, request.keyRoot, messenger_))
        return result;
    KeySetGenerator generator(messenger_);
    generator.setTargetFolder(request.keyRoot);
    if (generator.generateKeySet(request.name) != KeySetGenerator::kGenerated)
        return result;
    result.settings = generator.settingsForNewSet();
    if (saveSettings_)
        saveSettings_(result.settings);

    CKeyManager keys(messenger_);
    keys.findOwnKeySet(result.settings.keyPairRoot, result.settings.publicKeyName, result.settings.privateKeyName);
    result.keyFolder = keys.keyFolder();
    if (!FileAttributes::makeFolders(result.keyFolder) || !keys.writePersonalInfo(request.userName, request.mail)) {
        messenger_.show(Msg::KeyFilesCreationFailed, MsgIcon::Stop);
        return result;
    }

    KeyAuthenticator authenticator(messenger_,
                                   {keys.ownPublicKeyPath(), keys.ownPrivateKeyPath(), request.userName, request.mail,
                                    result.keyFolder, {}},
                                   {});
    const std::string selfKey = authenticator.authenticate({keys.ownPublicKeyPath()}, true, true);
    if (selfKey.empty())
        return result;

    keys.openFolder(result.keyFolder);
    if (keys.addKey(messenger_.text(Msg::SelfEncryptionDisplayName), std::string(), selfKey) !=
            CKeyManager::kKeyAdded ||
        !keys.saveMemberFiles())
        return result;
    result.selfAuthKeyPath = result.keyFolder + KeyFileNames::fileNameOf(selfKey);
    if (saveSettings_)
        saveSettings_(result.settings);
    result.done = true;
    return result;
}

} // namespace mvx
