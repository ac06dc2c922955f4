#include "barcode/QrTables.h"

namespace mvx::qr {
namespace {

// Index 0 is unused so that the version is the index.
constexpr uint16_t kTotalCodewords[kMaxVersion + 1] = {
    0,    26,   44,   70,   100,  134,  172,  196,  242,  292,  346,  404,  466,  532,
    581,  655,  733,  815,  901,  991,  1085, 1156, 1258, 1364, 1474, 1588, 1706, 1828,
    1921, 2051, 2185, 2323, 2465, 2611, 2761, 2876, 3034, 3196, 3362, 3532, 3706,
};

constexpr uint8_t kEcCodewordsPerBlock[kLevelCount][kMaxVersion + 1] = {
    {0, 7,  10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28,
     28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0, 10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26,
     26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
    {0, 13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30,
     28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0, 17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28,
     30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
};

constexpr uint8_t kBlockCount[kLevelCount][kMaxVersion + 1] = {
    {0, 1,  1,  1,  1,  1,  2,  2,  2,  2,  4,  4,  4,  4,  4,  6,  6,  6,  6,  7,  8,
     8, 9,  9,  10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
    {0,  1,  1,  1,  2,  2,  4,  4,  4,  5,  5,  5,  8,  9,  9,  10, 10, 11, 13, 14, 16,
     17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
    {0,  1,  1,  2,  2,  4,  4,  6,  6,  8,  8,  8,  10, 12, 16, 12, 17, 16, 18, 21, 20,
     23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
    {0,  1,  1,  2,  4,  4,  4,  5,  6,  8,  8,  11, 11, 16, 16, 18, 16, 19, 21, 25, 25,
     25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
};

// Alignment-pattern centre coordinates besides 6, per version.
constexpr uint8_t kAlignment[kMaxVersion + 1][kMaxAlignmentCoordinates] = {
    {},
    {},
    {18},
    {22},
    {26},
    {30},
    {34},
    {22, 38},
    {24, 42},
    {26, 46},
    {28, 50},
    {30, 54},
    {32, 58},
    {34, 62},
    {26, 46, 66},
    {26, 48, 70},
    {26, 50, 74},
    {30, 54, 78},
    {30, 56, 82},
    {30, 58, 86},
    {34, 62, 90},
    {28, 50, 72, 94},
    {26, 50, 74, 98},
    {30, 54, 78, 102},
    {28, 54, 80, 106},
    {32, 58, 84, 110},
    {30, 58, 86, 114},
    {34, 62, 90, 118},
    {26, 50, 74, 98, 122},
    {30, 54, 78, 102, 126},
    {26, 52, 78, 104, 130},
    {30, 56, 82, 108, 134},
    {34, 60, 86, 112, 138},
    {30, 58, 86, 114, 142},
    {34, 62, 90, 118, 146},
    {30, 54, 78, 102, 126, 150},
    {24, 50, 76, 102, 128, 154},
    {28, 54, 80, 106, 132, 158},
    {32, 58, 84, 110, 136, 162},
    {26, 54, 82, 110, 138, 166},
    {30, 58, 86, 114, 142, 170},
};

constexpr int alignmentCount(int version)
{
    int n = 0;
    while (n < kMaxAlignmentCoordinates && kAlignment[version][n] != 0)
        ++n;
    return n;
}

constexpr LevelLayout makeLevel(int version, int level)
{
    const int total = kTotalCodewords[version];
    const int ec = kEcCodewordsPerBlock[level][version];
    const int blocks = kBlockCount[level][version];
    const int longBlocks = total % blocks;
    const int shortBlocks = blocks - longBlocks;
    const int shortLength = total / blocks;
    LevelLayout l{};
    l.dataCodewords = static_cast<uint16_t>(total - ec * blocks);
    l.ecCodewordsPerBlock = static_cast<uint8_t>(ec);
    l.groups[0] = {static_cast<uint8_t>(shortBlocks), static_cast<uint8_t>(shortLength),
                   static_cast<uint8_t>(shortLength - ec)};
    l.groups[1] = {static_cast<uint8_t>(longBlocks), static_cast<uint8_t>(shortLength + 1),
                   static_cast<uint8_t>(shortLength + 1 - ec)};
    return l;
}

constexpr std::array<VersionLayout, kMaxVersion + 1> makeVersions()
{
    std::array<VersionLayout, kMaxVersion + 1> v{};
    for (int version = 1; version <= kMaxVersion; ++version) {
        v[version].totalCodewords = kTotalCodewords[version];
        for (int level = 0; level < kLevelCount; ++level)
            v[version].levels[level] = makeLevel(version, level);
        v[version].alignmentCount = static_cast<uint8_t>(alignmentCount(version));
        for (int i = 0; i < kMaxAlignmentCoordinates; ++i)
            v[version].alignment[i] = kAlignment[version][i];
    }
    return v;
}

constexpr std::array<VersionLayout, kMaxVersion + 1> kVersions = makeVersions();

constexpr GaloisTables makeGalois()
{
    GaloisTables t{};
    int x = 1;
    for (int i = 0; i < 255; ++i) {
        t.exp[i] = static_cast<uint8_t>(x);
        t.log[x] = static_cast<uint8_t>(i);
        x <<= 1;
        if (x & 0x100)
            x ^= 0x11D;
    }
    for (int i = 255; i < 512; ++i)
        t.exp[i] = t.exp[i - 255];
    return t;
}

constexpr GaloisTables kGalois = makeGalois();

// The error-correction lengths whose generator polynomials are carried.
constexpr int kGeneratorLengths[] = {7,  10, 13, 15, 16, 17, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36,
                                     38, 40, 42, 44, 46, 48, 50, 52, 54, 56, 58, 60, 62, 64, 66, 68};
constexpr int kGeneratorCount = sizeof(kGeneratorLengths) / sizeof(kGeneratorLengths[0]);
constexpr int kMaxGeneratorLength = 68;

using GeneratorTable = std::array<std::array<uint8_t, kMaxGeneratorLength>, kGeneratorCount>;

// g(x) = (x - a^0)(x - a^1)...(x - a^(n-1)), kept as exponents of alpha.
constexpr GeneratorTable makeGenerators()
{
    GeneratorTable table{};
    for (int k = 0; k < kGeneratorCount; ++k) {
        const int n = kGeneratorLengths[k];
        std::array<uint8_t, kMaxGeneratorLength + 1> coef{};  // coef[0] is the x^n term
        coef[0] = 1;
        for (int i = 0; i < n; ++i) {
            const int root = kGalois.exp[i];
            // multiply by (x + a^i): the new term j gets coef[j] + a^i * coef[j-1]
            for (int j = i + 1; j >= 1; --j) {
                int product = 0;
                if (coef[j - 1] != 0)
                    product = kGalois.exp[kGalois.log[coef[j - 1]] + kGalois.log[root]];
                coef[j] = static_cast<uint8_t>(coef[j] ^ product);
            }
        }
        for (int j = 1; j <= n; ++j)
            table[k][j - 1] = kGalois.log[coef[j]];
    }
    return table;
}

constexpr GeneratorTable kGenerators = makeGenerators();

constexpr bool layoutsAddUp()
{
    for (int version = 1; version <= kMaxVersion; ++version)
        for (int level = 0; level < kLevelCount; ++level) {
            const LevelLayout& l = kVersions[version].levels[level];
            int total = 0;
            int data = 0;
            for (const BlockGroup& g : l.groups) {
                total += g.blocks * g.codewords;
                data += g.blocks * g.dataCodewords;
            }
            if (total != kTotalCodewords[version] || data != l.dataCodewords)
                return false;
        }
    return true;
}
static_assert(layoutsAddUp());
static_assert(kVersions[40].levels[0].dataCodewords == 2956);
static_assert(kVersions[1].levels[3].dataCodewords == 9);

} // namespace

const VersionLayout& versionLayout(int version) { return kVersions[version]; }

const GaloisTables& galois() { return kGalois; }

const uint8_t* generatorExponents(int ecLength)
{
    for (int k = 0; k < kGeneratorCount; ++k)
        if (kGeneratorLengths[k] == ecLength)
            return kGenerators[k].data();
    return nullptr;
}

} // namespace mvx::qr
