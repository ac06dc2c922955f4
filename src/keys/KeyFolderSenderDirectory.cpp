#include "keys/KeyFolderSenderDirectory.h"

#include "engine/IdentityBlock.h"
#include "keys/KeyFileNames.h"
#include "keys/KeyFileStore.h"
#include "keys/MemberRecords.h"
#include "platform/Clock.h"

#include <algorithm>

namespace mvx {

KeyFolderSenderDirectory::~KeyFolderSenderDirectory() { flush(); }

const std::vector<CKeyManager::UserData>& KeyFolderSenderDirectory::memberRecords(const std::string& memberFile)
{
    static const std::vector<CKeyManager::UserData> kNone;
    const auto stamp = FileStamp::of(memberFile);
    if (!stamp)
        return kNone;
    MemberList& list = memberLists_[memberFile];
    if (!(list.stamp == *stamp) || list.records.empty())
        list = {*stamp, CKeyManager::loadMemberFile(memberFile)};
    return list.records;
}

CKeyManager::AuthenticatedKey KeyFolderSenderDirectory::authenticatedKey(const std::string& path)
{
    const auto keyStamp = FileStamp::of(path);
    const auto ownStamp = FileStamp::of(keys_.ownPrivateKeyPath());
    if (!keyStamp || !ownStamp)
        return keys_.readAuthenticatedKey(path);
    auto it = readKeys_.find(path);
    if (it != readKeys_.end() && it->second.keyStamp == *keyStamp && it->second.ownPrivateStamp == *ownStamp)
        return it->second.key;
    const auto key = keys_.readAuthenticatedKey(path);
    readKeys_[path] = {*keyStamp, *ownStamp, key};
    return key;
}

void KeyFolderSenderDirectory::flush()
{
    for (const auto& [entry, lastUse] : pendingLastUse_) {
        const SystemTime when = lastUse;
        MemberRecords::update(entry.first, entry.second, [when](CKeyManager::UserData& r) { r.lastUse = when; });
    }
    pendingLastUse_.clear();
}

ISenderDirectory::Identification KeyFolderSenderDirectory::identify(uint32_t senderTag,
                                                                    const uint8_t* senderIdentityHash)
{
    folder_.clear();
    fileName_.clear();
    for (const std::string& folder : keys_.keyFolderTree()) {
        for (const auto& record : memberRecords(folder + KeyFileNames::kMemberFile)) {
            if (record.senderTag != senderTag)
                continue;
            const auto key = authenticatedKey(folder + record.fileName);
            if (key.result != CKeyManager::kAuthKeyRead ||
                !std::equal(key.identityHash.begin(), key.identityHash.end(), senderIdentityHash))
                continue;
            folder_ = folder;
            fileName_ = record.fileName;
            Identification sender{kCurrent, record.displayName, record.mail};
            const bool current = record.expiry == key.expiry && record.issuerMark == static_cast<uint8_t>(key.issuerMark);
            if (!current) {
                sender.status = kRenew;
                return sender;
            }
            pendingLastUse_[{folder, record.fileName}] = Clock::now();
            return sender;
        }
    }
    return {};
}

int KeyFolderSenderDirectory::checkBeforeRenewal(const Identification&)
{
    const std::string ownPublic = keys_.ownPublicKeyPath();
    const std::string ownPrivate = keys_.ownPrivateKeyPath();
    if (!IdentityBlock::fromPrivateKeyPath(ownPrivate))
        return 1;
    if (!KeyFileStore::passesKindCheck(folder_ + fileName_) ||
        keys_.readAuthenticatedKey(folder_ + fileName_).result != CKeyManager::kAuthKeyRead)
        return 2;
    if (!KeyFileStore::keyPairIsValid(ownPublic, ownPrivate))
        return 3;
    return 0;
}

void KeyFolderSenderDirectory::renew(const Identification&)
{
    if (fileName_.empty())
        return;
    pendingLastUse_.erase({folder_, fileName_});
    MemberRecords::update(folder_, fileName_, [this](CKeyManager::UserData& record) {
        MemberRecords::refreshFromKeyFile(keys_, folder_ + fileName_, record);
        record.lastUse = Clock::now();
    });
}

} // namespace mvx
