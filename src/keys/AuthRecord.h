#pragma once

#include "engine/IdentityBlock.h"
#include "platform/SystemTime.h"

#include <array>
#include <cstdint>
#include <string>

namespace mvx {

// The 115 bytes an authenticated key carries, RSA-encrypted for its holder:
// the issuer's identity hash, name, mail address, the time of the
// authentication, the issuer mark and the expiry.
struct AuthRecord {
    static constexpr size_t kSize = 115;
    static constexpr size_t kUserNameSize = 20;
    static constexpr size_t kMailSize = 30;
    static constexpr uint8_t kCurrentIssuerMark = 2;

    IdentityBlock::Hash identityHash{};
    std::string userName;  // at most 20 bytes
    std::string mail;      // at most 30 bytes
    SystemTime authenticated;
    int issuerMark = kCurrentIssuerMark;  // 0, 1 or 2; -1 for any other stored byte
    SystemTime expiry;                    // all zero when the key does not expire

    std::array<uint8_t, kSize> toBytes() const;
    static AuthRecord fromBytes(const uint8_t* bytes);
};

} // namespace mvx
