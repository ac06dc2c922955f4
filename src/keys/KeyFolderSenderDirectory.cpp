#include "keys/KeyFolderSenderDirectory.h"

#include "engine/IdentityBlock.h"
#include "keys/KeyFileNames.h"
#include "keys/KeyFileStore.h"
#include "keys/MemberRecords.h"
#include "platform/Clock.h"

#include <algorithm>

namespace mvx {

ISenderDirectory::Identification KeyFolderSenderDirectory::identify(uint32_t senderTag,
                                                                    const uint8_t* senderIdentityHash)
{
    folder_.clear();
    fileName_.clear();
    for (const std::string& folder : keys_.keyFolderTree()) {
        for (const auto& record : CKeyManager::loadMemberFile(folder + KeyFileNames::kMemberFile)) {
            if (record.senderTag != senderTag)
                continue;
            const auto key = keys_.readAuthenticatedKey(folder + record.fileName);
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
            MemberRecords::update(folder, record.fileName,
                                  [](CKeyManager::UserData& r) { r.lastUse = Clock::now(); });
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
    MemberRecords::update(folder_, fileName_, [this](CKeyManager::UserData& record) {
        MemberRecords::refreshFromKeyFile(keys_, folder_ + fileName_, record);
        record.lastUse = Clock::now();
    });
}

} // namespace mvx
