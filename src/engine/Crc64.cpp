#include "engine/Crc64.h"

#include <array>

namespace mvx {

namespace {

constexpr uint64_t kPolynomial = 0x42F0E1EBA9EA3693ULL;

constexpr std::array<uint64_t, 256> makeTable()
{
    std::array<uint64_t, 256> table{};
    for (uint64_t i = 0; i < 256; ++i) {
        uint64_t crc = i << 56;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & (1ULL << 63)) ? (crc << 1) ^ kPolynomial : crc << 1;
        table[i] = crc;
    }
    return table;
}

constexpr auto kTable = makeTable();

} // namespace

uint64_t crc64we(const void* data, size_t length)
{
    const auto* p = static_cast<const uint8_t*>(data);
    uint64_t crc = ~0ULL;
    for (size_t i = 0; i < length; ++i)
        crc = kTable[((crc >> 56) ^ p[i]) & 0xFF] ^ (crc << 8);
    return ~crc;
}

} // namespace mvx
