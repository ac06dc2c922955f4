#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace mvx {

// The sender tag that containers and member records carry: the low 32 bits of
// the CRC-64/WE of a public key blob after the blob has gone through a
// keystream keyed with the fixed FingerprintKey.
class SenderTag {
public:
    static constexpr int kKeyWords = 8;

    // 8 words, each below 2^20, the same in every installation.
    static const std::array<uint32_t, kKeyWords>& fingerprintKey();
    // The 64-bit CRC whose low 32 bits are the tag.
    static uint64_t crcOfBlob(const uint8_t* blob, size_t length);
    static uint32_t ofBlob(const uint8_t* blob, size_t length) { return static_cast<uint32_t>(crcOfBlob(blob, length)); }
};

} // namespace mvx
