#include "keys/KeySetNameRules.h"

#include "app/Msg.h"
#include "keys/KeyFileNames.h"
#include "platform/FileAttributes.h"
#include "platform/TextFields.h"

namespace mvx {

namespace {

// Any file or folder the new key set would take.
bool keySetExists(const std::string& name, const std::string& folder)
{
    const std::string root = KeyFileNames::withTrailingSlash(folder);
    return FileAttributes::exists(root + KeyFileNames::publicKeyName(name)) ||
           FileAttributes::exists(root + KeyFileNames::privateKeyName(name)) ||
           FileAttributes::exists(KeyFileNames::keyFolder(root, name));
}

} // namespace

bool KeySetNameRules::hasForbiddenCharacter(const std::string& name, bool refuseFullStop)
{
    for (char c : name)
        if (std::string(kForbidden).find(c) != std::string::npos || (refuseFullStop && c == '.') ||
            static_cast<unsigned char>(c) < 0x20)
            return true;
    return false;
}

int KeySetNameRules::check(const std::string& name)
{
    if (name.empty() || TextFields::halfSizeLength(name) > kMaxHalfSizeLength)
        return kNameTooLong;
    if (hasForbiddenCharacter(name, false))
        return kNameForbiddenCharacter;
    return kNameOk;
}

bool KeySetNameRules::checkForWizard(const std::string& name, const std::string& keyRoot, CMessenger& messenger)
{
    if (name.empty() || name.front() == ' ') {
        messenger.show(Msg::NoFileName, MsgIcon::Exclamation);
        return false;
    }
    if (TextFields::halfSizeLength(name) > kMaxHalfSizeLength) {
        messenger.show(Msg::KeyFileNameTooLong, MsgIcon::Exclamation);
        return false;
    }
    if (hasForbiddenCharacter(name, true)) {
        messenger.show(Msg::KeyFileNameForbiddenCharacter, MsgIcon::Exclamation);
        return false;
    }
    if (keySetExists(name, keyRoot)) {
        messenger.show(Msg::KeyFileAlreadyExistsWizard, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace mvx
