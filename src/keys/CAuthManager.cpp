#include "keys/CAuthManager.h"

#include "app/Msg.h"
#include "engine/Crc64.h"
#include "engine/RsaKeyWrapper.h"
#include "keys/DateTexts.h"
#include "keys/KeyFileNames.h"
#include "platform/Clock.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"
#include "platform/TextFields.h"

#include <algorithm>
#include <cstdio>

namespace mvx {

namespace {

constexpr size_t kFileNameAt = 16;
constexpr size_t kFingerprintAt = 280;
constexpr size_t kExpiryAt = 288;

} // namespace

bool CAuthManager::load(const std::string& path)
{
    records_.clear();
    auto bytes = readWholeFile(path);
    if (!bytes)
        return false;
    if (bytes->size() < 4)
        return true;
    const uint64_t count = getLe32(bytes->data());
    const uint64_t complete = (bytes->size() - 4) / AuthHistoryData::kSize;
    for (uint64_t i = 0; i < std::min(count, complete); ++i) {
        const uint8_t* at = bytes->data() + 4 + i * AuthHistoryData::kSize;
        AuthHistoryData record;
        record.authenticated = SystemTime::fromBytes(at);
        record.fileName = KeyFileNames::safeFileName(TextFields::get(at + kFileNameAt, AuthHistoryData::kFileNameSize));
        record.fingerprint = getLe64(at + kFingerprintAt);
        record.expiry = SystemTime::fromBytes(at + kExpiryAt);
        records_.push_back(record);
    }
    return true;
}

bool CAuthManager::save(const std::string& path) const
{
    std::vector<uint8_t> bytes(4 + records_.size() * AuthHistoryData::kSize, 0);
    putLe32(bytes.data(), static_cast<uint32_t>(records_.size()));
    for (size_t i = 0; i < records_.size(); ++i) {
        uint8_t* at = bytes.data() + 4 + i * AuthHistoryData::kSize;
        const AuthHistoryData& record = records_[i];
        record.authenticated.toBytes(at);
        TextFields::put(at + kFileNameAt, AuthHistoryData::kFileNameSize,
                        TextFields::truncate(record.fileName, AuthHistoryData::kFileNameSize - 1));
        putLe64(at + kFingerprintAt, record.fingerprint);
        record.expiry.toBytes(at + kExpiryAt);
    }
    return writeWholeFile(path, bytes.data(), bytes.size(), 0600);
}

void CAuthManager::append(const std::string& authKeyPath, uint64_t partnerFingerprint, const SystemTime& expiry)
{
    records_.push_back({Clock::now(), KeyFileNames::fileNameOf(authKeyPath), partnerFingerprint, expiry});
}

bool CAuthManager::containsFingerprint(uint64_t fingerprint) const
{
    return std::any_of(records_.begin(), records_.end(),
                       [fingerprint](const AuthHistoryData& r) { return r.fingerprint == fingerprint; });
}

bool CAuthManager::contains(const std::string& publicKeyPath) const
{
    const auto blob = RsaKeyWrapper::readBlobFromKeyFile(publicKeyPath);
    return !blob.empty() && containsFingerprint(keyFingerprint(blob.data(), blob.size()));
}

std::vector<CAuthManager::Row> CAuthManager::rows(const CMessageTable& table) const
{
    std::vector<Row> rows;
    for (const AuthHistoryData& record : records_)
        rows.push_back({dateTimeText(record.authenticated), record.fileName,
                        record.expiry.isSet() ? dateText(record.expiry) : table.text(Msg::NotSetting)});
    return rows;
}

} // namespace mvx
