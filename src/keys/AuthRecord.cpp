#include "keys/AuthRecord.h"

#include "platform/TextFields.h"

#include <cstring>

namespace mvx {

namespace {
constexpr size_t kUserNameAt = 32;
constexpr size_t kMailAt = 52;
constexpr size_t kAuthenticatedAt = 82;
constexpr size_t kIssuerMarkAt = 98;
constexpr size_t kExpiryAt = 99;
} // namespace

std::array<uint8_t, AuthRecord::kSize> AuthRecord::toBytes() const
{
    std::array<uint8_t, kSize> bytes{};
    std::memcpy(bytes.data(), identityHash.data(), identityHash.size());
    TextFields::put(bytes.data() + kUserNameAt, kUserNameSize, userName);
    TextFields::put(bytes.data() + kMailAt, kMailSize, mail);
    authenticated.toBytes(bytes.data() + kAuthenticatedAt);
    bytes[kIssuerMarkAt] = static_cast<uint8_t>(issuerMark);
    expiry.toBytes(bytes.data() + kExpiryAt);
    return bytes;
}

AuthRecord AuthRecord::fromBytes(const uint8_t* bytes)
{
    AuthRecord record;
    std::memcpy(record.identityHash.data(), bytes, record.identityHash.size());
    record.userName = TextFields::get(bytes + kUserNameAt, kUserNameSize);
    record.mail = TextFields::get(bytes + kMailAt, kMailSize);
    record.authenticated = SystemTime::fromBytes(bytes + kAuthenticatedAt);
    const uint8_t mark = bytes[kIssuerMarkAt];
    record.issuerMark = mark <= 2 ? mark : -1;
    record.expiry = SystemTime::fromBytes(bytes + kExpiryAt);
    return record;
}

} // namespace mvx
