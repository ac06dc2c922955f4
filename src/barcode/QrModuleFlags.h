#pragma once

#include <cstdint>

namespace mvx::qr {

// What a byte of the module matrix carries while a symbol is being built.
inline constexpr uint8_t kFunction = 0x20;
inline constexpr uint8_t kFunctionDark = 0x10;
inline constexpr uint8_t kDataBit = 0x02;    // before masking
inline constexpr uint8_t kMaskedBit = 0x01;  // after masking
inline constexpr uint8_t kDarkFlags = kFunctionDark | kMaskedBit;

inline constexpr int kMaxModules = 177;
inline constexpr int kMaskPatterns = 8;

// i = row, j = column
constexpr bool maskCondition(int pattern, int i, int j)
{
    switch (pattern) {
    case 0: return (i + j) % 2 == 0;
    case 1: return i % 2 == 0;
    case 2: return j % 3 == 0;
    case 3: return (i + j) % 3 == 0;
    case 4: return (i / 2 + j / 3) % 2 == 0;
    case 5: return (i * j) % 2 + (i * j) % 3 == 0;
    case 6: return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default: return ((i + j) % 2 + (i * j) % 3) % 2 == 0;
    }
}

} // namespace mvx::qr
