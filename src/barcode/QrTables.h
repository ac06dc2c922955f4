#pragma once

#include <array>
#include <cstdint>

// Constant tables of the QR code symbology (ISO/IEC 18004): codeword counts,
// error-correction block structure, alignment-pattern positions, the GF(256)
// arithmetic and the Reed-Solomon generator polynomials.
namespace mvx::qr {

inline constexpr int kMinVersion = 1;
inline constexpr int kMaxVersion = 40;
inline constexpr int kLevelCount = 4;     // 0 = L, 1 = M, 2 = Q, 3 = H
inline constexpr int kMaxAlignmentCoordinates = 6;

struct BlockGroup {
    uint8_t blocks;
    uint8_t codewords;      // per block, data and error correction
    uint8_t dataCodewords;  // per block
};

struct LevelLayout {
    uint16_t dataCodewords;   // of the whole symbol
    uint8_t ecCodewordsPerBlock;
    std::array<BlockGroup, 2> groups;  // group 2 blocks carry one data codeword more
    int blockCount() const { return groups[0].blocks + groups[1].blocks; }
};

struct VersionLayout {
    uint16_t totalCodewords;
    std::array<LevelLayout, kLevelCount> levels;
    uint8_t alignmentCount;  // coordinates besides 6
    std::array<uint8_t, kMaxAlignmentCoordinates> alignment;
};

// version 1..40
const VersionLayout& versionLayout(int version);

// GF(256) with the field polynomial x^8 + x^4 + x^3 + x^2 + 1.
// exp is doubled so that exp[log a + log b] needs no reduction.
struct GaloisTables {
    std::array<uint8_t, 512> exp;
    std::array<uint8_t, 256> log;  // log[0] is unused
};
const GaloisTables& galois();

// Generator polynomial of degree ecLength as exponents of alpha, highest
// term first, leading coefficient (alpha^0 of x^ecLength) left out.
// Returns nullptr for an error-correction length the standard does not use.
const uint8_t* generatorExponents(int ecLength);

} // namespace mvx::qr
