#include "keys/StrayKeys.h"

#include "app/Msg.h"
#include "engine/RsaKeyWrapper.h"
#include "keys/DestinationListEditor.h"
#include "keys/KeyFileNames.h"
#include "keys/KeyFileStore.h"
#include "platform/FileAttributes.h"

#include <algorithm>

namespace mvx {

bool StrayKeys::isStray(const std::string& folder, const std::string& fileName,
                        const std::vector<CKeyManager::UserData>& listed)
{
    const std::string path = folder + fileName;
    const KeyKind kind = KeyFileNames::kindOf(fileName);
    if (fileName.empty() || fileName.front() == '.' || !FileAttributes::isRegularFile(path) ||
        (kind != KeyKind::Public && kind != KeyKind::Authenticated))
        return false;
    if (std::any_of(listed.begin(), listed.end(), [&](const auto& r) { return r.fileName == fileName; }))
        return false;
    if (!KeyFileStore::passesKindCheck(path))
        return false;
    if (kind == KeyKind::Public) {
        const auto own = RsaKeyWrapper::readBlobFromKeyFile(keys_.ownPublicKeyPath());
        return own.empty() || RsaKeyWrapper::readBlobFromKeyFile(path) != own;
    }
    return keys_.readAuthenticatedKey(path).result == CKeyManager::kAuthKeyRead;
}

StrayKeys::Stray StrayKeys::describe(const std::string& folder, const std::string& fileName)
{
    Stray stray{folder, fileName, {}, {}};
    if (DestinationListEditor::isMakerKey(fileName)) {
        // The maker's key is listed under its name; it carries no mail address.
        stray.displayName = messenger_.text(Msg::MakerDisplayName);
    } else if (KeyFileNames::kindOf(fileName) == KeyKind::Authenticated) {
        const auto key = keys_.readAuthenticatedKey(folder + fileName);
        stray.displayName = key.userName;
        stray.mail = key.mail;
        if (fileName == KeyFileNames::authKeyName(keys_.owner(), keys_.owner()))
            stray.displayName = messenger_.text(Msg::SelfEncryptionDisplayName);
    } else {
        stray.displayName = KeyFileNames::stemOf(fileName);
    }
    return stray;
}

std::vector<StrayKeys::Stray> StrayKeys::find()
{
    std::vector<Stray> found;
    for (const std::string& folder : keys_.keyFolderTree()) {
        auto listed = CKeyManager::loadMemberFile(folder + KeyFileNames::kMemberFile);
        const auto plain = CKeyManager::loadMemberFile(folder + KeyFileNames::kPublicMemberFile);
        listed.insert(listed.end(), plain.begin(), plain.end());
        for (const std::string& name : FileAttributes::entries(folder))
            if (isStray(folder, name, listed))
                found.push_back(describe(folder, name));
    }
    return found;
}

size_t StrayKeys::offer()
{
    std::vector<Stray> strays = find();
    std::erase_if(strays, [this](const Stray& s) { return declined_.count(s.folder + s.fileName) != 0; });
    if (strays.empty())
        return 0;
    if (!messenger_.askYesNo(Msg::StrayKeysFound, MsgIcon::Question, strays.size())) {
        for (const Stray& s : strays)
            declined_.insert(s.folder + s.fileName);
        return 0;
    }
    const std::string shown = keys_.currentFolder();
    size_t registered = 0;
    for (const Stray& s : strays) {
        keys_.openFolder(s.folder);
        if (keys_.addKey(s.displayName, s.mail, s.folder + s.fileName) != CKeyManager::kKeyAdded)
            continue;
        if (!keys_.saveMemberFiles()) {
            messenger_.show(Msg::MemberFileWriteFailed, MsgIcon::Stop, s.folder);
            continue;
        }
        messenger_.showCaptioned(Msg::StrayKeyRegistered, Msg::KeyRegistrationCaption, MsgIcon::Information,
                                 s.displayName, s.fileName);
        ++registered;
    }
    if (!shown.empty())
        keys_.openFolder(shown);
    return registered;
}

} // namespace mvx
