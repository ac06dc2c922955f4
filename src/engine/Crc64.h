#pragma once

#include <cstddef>
#include <cstdint>

namespace mvx {

// CRC-64/WE: polynomial 0x42F0E1EBA9EA3693, most significant bit first,
// initial value and final XOR all ones.
uint64_t crc64we(const void* data, size_t length);

// The key fingerprint: CRC-64/WE of the blob bytes of a key file.
inline uint64_t keyFingerprint(const void* blob, size_t length) { return crc64we(blob, length); }

} // namespace mvx
