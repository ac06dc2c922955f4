#include "keys/MemberRecords.h"

#include "keys/KeyFileNames.h"
#include "platform/FileAttributes.h"

namespace mvx {

std::string MemberRecords::memberFileFor(const std::string& folder, const std::string& fileName)
{
    const bool authenticated = KeyFileNames::kindOf(fileName) == KeyKind::Authenticated;
    return KeyFileNames::withTrailingSlash(folder) +
           (authenticated ? KeyFileNames::kMemberFile : KeyFileNames::kPublicMemberFile);
}

std::optional<CKeyManager::UserData> MemberRecords::find(const std::string& folder, const std::string& fileName)
{
    for (const auto& record : CKeyManager::loadMemberFile(memberFileFor(folder, fileName)))
        if (record.fileName == fileName)
            return record;
    return std::nullopt;
}

bool MemberRecords::update(const std::string& folder, const std::string& fileName,
                           const std::function<void(CKeyManager::UserData&)>& change)
{
    const std::string memberFile = memberFileFor(folder, fileName);
    auto records = CKeyManager::loadMemberFile(memberFile);
    for (auto& record : records) {
        if (record.fileName == fileName) {
            change(record);
            return CKeyManager::saveMemberFile(memberFile, records);
        }
    }
    return false;
}

bool MemberRecords::refreshFromKeyFile(CKeyManager& keys, const std::string& keyFilePath,
                                       CKeyManager::UserData& record)
{
    if (KeyFileNames::kindOf(KeyFileNames::fileNameOf(keyFilePath)) == KeyKind::Authenticated) {
        const auto key = keys.readAuthenticatedKey(keyFilePath);
        if (key.result != CKeyManager::kAuthKeyRead)
            return false;
        record.expiry = key.expiry;
        record.issuerMark = static_cast<uint8_t>(key.issuerMark);
    }
    const auto tag = keys.senderTagOfKeyFile(keyFilePath);
    if (!tag)
        return false;
    record.senderTag = static_cast<uint32_t>(*tag);
    record.registered = FileAttributes::lastWriteTime(keyFilePath);
    return true;
}

} // namespace mvx
