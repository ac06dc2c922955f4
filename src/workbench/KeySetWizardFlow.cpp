#include "workbench/KeySetWizardFlow.h"

#include "app/Msg.h"
#include "keys/KeyFileNames.h"
#include "keys/KeySetNameRules.h"
#include "workbench/AppSession.h"

namespace mvx {

std::optional<std::string> KeySetWizardFlow::chooseKeyRoot()
{
    keyRoot_ = session_.settings().keyPairRoot;
    if (!keyRoot_.empty())
        return keyRoot_;
    CMessenger& messenger = session_.messenger();
    const auto chosen = messenger.interaction().chooseFolderPrompted(
        messenger.text(Msg::SelectFolderTitle), messenger.text(Msg::SelectKeyFolder), std::string());
    if (!chosen || chosen->empty())
        return std::nullopt;
    keyRoot_ = KeyFileNames::withTrailingSlash(*chosen);
    return keyRoot_;
}

bool KeySetWizardFlow::acceptName(const std::string& name)
{
    return KeySetNameRules::checkForWizard(name, keyRoot_, session_.messenger());
}

std::string KeySetWizardFlow::summary(const std::string& name) const
{
    return session_.messenger().format(Msg::KeySetSummary, KeyFileNames::publicKeyName(name),
                                       KeyFileNames::privateKeyName(name), KeyFileNames::authKeyName(name, name));
}

bool KeySetWizardFlow::finish(const std::string& name, const std::string& userName, const std::string& mail,
                              bool useBackupService)
{
    // The backup service is not part of this program: without it the user
    // confirms that the new set has no backup.
    if (!useBackupService && !session_.messenger().askYesNo(Msg::NoBackupConfirm, MsgIcon::Question))
        return false;
    return session_.makeKeySet({keyRoot_, name, userName, mail}).done;
}

} // namespace mvx
