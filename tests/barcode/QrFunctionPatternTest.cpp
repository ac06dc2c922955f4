// Format and version information, function patterns and the standard's tables.
#include "QrTestSupport.h"

#include "barcode/QrTables.h"

#include <gtest/gtest.h>

#include <set>

namespace mvx::test {
namespace {

// Format information as published in the standard, per level (L, M, Q, H)
// and mask 0..7, most significant bit first.
const char* const kPublishedFormat[4][8] = {
    {"111011111000100", "111001011110011", "111110110101010", "111100010011101", "110011000101111",
     "110001100011000", "110110001000001", "110100101110110"},
    {"101010000010010", "101000100100101", "101111001111100", "101101101001011", "100010111111001",
     "100000011001110", "100111110010111", "100101010100000"},
    {"011010101011111", "011000001101000", "011111100110001", "011101000000110", "010010010110100",
     "010000110000011", "010111011011010", "010101111101101"},
    {"001011010001001", "001001110111110", "001110011100111", "001100111010000", "000011101100010",
     "000001001010101", "000110100001100", "000100000111011"},
};

// Version information as published, versions 7..40.
const int kPublishedVersion[] = {
    0x07C94, 0x085BC, 0x09A99, 0x0A4D3, 0x0BBF6, 0x0C762, 0x0D847, 0x0E60D, 0x0F928, 0x10B78, 0x1145D, 0x12A17,
    0x13532, 0x149A6, 0x15683, 0x168C9, 0x177EC, 0x18EC4, 0x191E1, 0x1AFAB, 0x1B08E, 0x1CC1A, 0x1D33F, 0x1ED75,
    0x1F250, 0x209D5, 0x216F0, 0x228BA, 0x2379F, 0x24B0B, 0x2542E, 0x26A64, 0x27541, 0x28C69,
};

int bitsFromString(const char* s)
{
    int v = 0;
    for (; *s; ++s)
        v = v << 1 | (*s == '1');
    return v;
}

// Bit i of the format information around the upper-left finder.
int readFormatNearOrigin(const CQREncoder& e)
{
    int bits = 0;
    auto put = [&](int i, int x, int y) { bits |= (e.isDark(x, y) ? 1 : 0) << i; };
    for (int i = 0; i <= 5; ++i)
        put(i, 8, i);
    put(6, 8, 7);
    put(7, 8, 8);
    put(8, 7, 8);
    for (int i = 9; i < 15; ++i)
        put(i, 14 - i, 8);
    return bits;
}

// The second copy, split between the other two finders.
int readFormatSecondCopy(const CQREncoder& e)
{
    const int n = e.moduleCount();
    int bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= (e.isDark(n - 1 - i, 8) ? 1 : 0) << i;
    for (int i = 8; i < 15; ++i)
        bits |= (e.isDark(8, n - 15 + i) ? 1 : 0) << i;
    return bits;
}

TEST(QrFormatInformation, BothCopiesMatchThePublishedBits)
{
    for (int level = 0; level < 4; ++level)
        for (int mask = 0; mask < 8; ++mask) {
            auto encoder = encodeOrNull(level, 1, false, mask, "FORMAT");
            ASSERT_NE(encoder, nullptr);
            EXPECT_EQ(encoder->mask(), mask);
            const int expected = bitsFromString(kPublishedFormat[level][mask]);
            EXPECT_EQ(readFormatNearOrigin(*encoder), expected) << "level " << level << " mask " << mask;
            EXPECT_EQ(readFormatSecondCopy(*encoder), expected) << "level " << level << " mask " << mask;
        }
}

TEST(QrFormatInformation, AlwaysDarkModuleBesideLowerLeftFinder)
{
    for (int version : {1, 7, 40}) {
        auto encoder = encodeOrNull(CQREncoder::LevelL, version, false, 0, "X");
        ASSERT_NE(encoder, nullptr);
        EXPECT_TRUE(encoder->isDark(8, encoder->moduleCount() - 8));
    }
}

TEST(QrVersionInformation, BothBlocksMatchThePublishedBitsFromVersionSeven)
{
    for (int version = 7; version <= 40; ++version) {
        auto encoder = encodeOrNull(CQREncoder::LevelM, version, false, -1, "V");
        ASSERT_NE(encoder, nullptr);
        const int n = encoder->moduleCount();
        int upperRight = 0;
        int lowerLeft = 0;
        for (int i = 0; i < 18; ++i) {
            upperRight |= (encoder->isDark(n - 11 + i % 3, i / 3) ? 1 : 0) << i;
            lowerLeft |= (encoder->isDark(i / 3, n - 11 + i % 3) ? 1 : 0) << i;
        }
        EXPECT_EQ(upperRight, kPublishedVersion[version - 7]) << "version " << version;
        EXPECT_EQ(lowerLeft, kPublishedVersion[version - 7]) << "version " << version;
    }
}

bool finderAt(const CQREncoder& e, int left, int top)
{
    for (int dy = 0; dy < 7; ++dy)
        for (int dx = 0; dx < 7; ++dx) {
            const int ring = std::max(std::abs(dx - 3), std::abs(dy - 3));
            if (e.isDark(left + dx, top + dy) != (ring != 2))
                return false;
        }
    return true;
}

TEST(QrFunctionPatterns, FindersTimingAndSeparators)
{
    for (int version : {1, 2, 6, 7, 21, 40}) {
        auto encoder = encodeOrNull(CQREncoder::LevelQ, version, false, -1, "PATTERNS 123");
        ASSERT_NE(encoder, nullptr);
        const int n = encoder->moduleCount();
        ASSERT_EQ(n, 4 * version + 17);
        EXPECT_TRUE(finderAt(*encoder, 0, 0));
        EXPECT_TRUE(finderAt(*encoder, n - 7, 0));
        EXPECT_TRUE(finderAt(*encoder, 0, n - 7));
        for (int i = 0; i < 8; ++i) {
            EXPECT_FALSE(encoder->isDark(7, i));
            EXPECT_FALSE(encoder->isDark(i, 7));
            EXPECT_FALSE(encoder->isDark(n - 8, i));
            EXPECT_FALSE(encoder->isDark(i, n - 8));
        }
        for (int k = 8; k <= n - 9; ++k) {
            EXPECT_EQ(encoder->isDark(k, 6), k % 2 == 0) << "version " << version << " x " << k;
            EXPECT_EQ(encoder->isDark(6, k), k % 2 == 0) << "version " << version << " y " << k;
        }
    }
}

// Alignment centres by the rule the standard's table follows: evenly spaced
// from N - 7 down to the first beyond 6 (version 32 uses a spacing of 26).
std::vector<int> alignmentByRule(int version)
{
    if (version == 1)
        return {};
    const int count = version / 7 + 2;
    const int step = version == 32 ? 26 : (version * 4 + count * 2 + 1) / (count * 2 - 2) * 2;
    std::vector<int> positions;
    for (int i = 0, pos = 4 * version + 10; i < count - 1; ++i, pos -= step)
        positions.insert(positions.begin(), pos);
    return positions;
}

TEST(QrTables, AlignmentPositionsFollowTheStandardSpacing)
{
    for (int version = 1; version <= 40; ++version) {
        const auto& layout = qr::versionLayout(version);
        const std::vector<int> table(layout.alignment.begin(), layout.alignment.begin() + layout.alignmentCount);
        EXPECT_EQ(table, alignmentByRule(version)) << "version " << version;
    }
}

TEST(QrTables, AlignmentPatternsAreDrawn)
{
    for (int version : {2, 7, 14, 32, 40}) {
        auto encoder = encodeOrNull(CQREncoder::LevelH, version, false, -1, "ALIGN");
        ASSERT_NE(encoder, nullptr);
        const int n = encoder->moduleCount();
        std::vector<int> coordinates = alignmentByRule(version);
        coordinates.insert(coordinates.begin(), 6);
        for (int cx : coordinates)
            for (int cy : coordinates) {
                const bool onFinder = (cx == 6 && cy == 6) || (cx == 6 && cy == n - 7) || (cx == n - 7 && cy == 6);
                if (onFinder)
                    continue;
                for (int dy = -2; dy <= 2; ++dy)
                    for (int dx = -2; dx <= 2; ++dx) {
                        const int ring = std::max(std::abs(dx), std::abs(dy));
                        EXPECT_EQ(encoder->isDark(cx + dx, cy + dy), ring != 1)
                            << "version " << version << " centre " << cx << "," << cy;
                    }
            }
    }
}

TEST(QrTables, CodewordCountsOfPublishedVersions)
{
    struct Published {
        int version;
        int total;
        int data[4];
    };
    const Published published[] = {
        {1, 26, {19, 16, 13, 9}},          {2, 44, {34, 28, 22, 16}},
        {5, 134, {108, 86, 62, 46}},       {10, 346, {274, 216, 154, 122}},
        {27, 1828, {1468, 1128, 808, 628}}, {40, 3706, {2956, 2334, 1666, 1276}},
    };
    for (const auto& p : published) {
        const auto& layout = qr::versionLayout(p.version);
        EXPECT_EQ(layout.totalCodewords, p.total);
        for (int level = 0; level < 4; ++level)
            EXPECT_EQ(layout.levels[level].dataCodewords, p.data[level]) << p.version << "/" << level;
    }
}

TEST(QrTables, BlockStructureOfPublishedVersions)
{
    // Version 5-Q: 2 blocks (33, 15) and 2 blocks (34, 16).
    const auto& q5 = qr::versionLayout(5).levels[CQREncoder::LevelQ];
    EXPECT_EQ(q5.groups[0].blocks, 2);
    EXPECT_EQ(q5.groups[0].codewords, 33);
    EXPECT_EQ(q5.groups[0].dataCodewords, 15);
    EXPECT_EQ(q5.groups[1].blocks, 2);
    EXPECT_EQ(q5.groups[1].codewords, 34);
    EXPECT_EQ(q5.groups[1].dataCodewords, 16);
    // Version 40-H: 20 blocks (45, 15) and 61 blocks (46, 16).
    const auto& h40 = qr::versionLayout(40).levels[CQREncoder::LevelH];
    EXPECT_EQ(h40.groups[0].blocks, 20);
    EXPECT_EQ(h40.groups[0].dataCodewords, 15);
    EXPECT_EQ(h40.groups[1].blocks, 61);
    EXPECT_EQ(h40.groups[1].codewords, 46);
    // Version 1-L: one block of 26 with 7 error-correction codewords.
    const auto& l1 = qr::versionLayout(1).levels[CQREncoder::LevelL];
    EXPECT_EQ(l1.blockCount(), 1);
    EXPECT_EQ(l1.ecCodewordsPerBlock, 7);
}

TEST(QrTables, GeneratorPolynomialsOfTheStandard)
{
    // Degree 7: x^7 + a^87 x^6 + a^229 x^5 + a^146 x^4 + a^149 x^3 + a^238 x^2 + a^102 x + a^21.
    const uint8_t* g7 = qr::generatorExponents(7);
    ASSERT_NE(g7, nullptr);
    const std::vector<int> expected7 = {87, 229, 146, 149, 238, 102, 21};
    EXPECT_EQ(std::vector<int>(g7, g7 + 7), expected7);
    // Degree 10: a^251 a^67 a^46 a^61 a^118 a^70 a^64 a^94 a^32 a^45.
    const uint8_t* g10 = qr::generatorExponents(10);
    ASSERT_NE(g10, nullptr);
    const std::vector<int> expected10 = {251, 67, 46, 61, 118, 70, 64, 94, 32, 45};
    EXPECT_EQ(std::vector<int>(g10, g10 + 10), expected10);
    // Every length a version uses is carried.
    std::set<int> used;
    for (int version = 1; version <= 40; ++version)
        for (int level = 0; level < 4; ++level)
            used.insert(qr::versionLayout(version).levels[level].ecCodewordsPerBlock);
    for (int length : used)
        EXPECT_NE(qr::generatorExponents(length), nullptr) << length;
    EXPECT_EQ(qr::generatorExponents(8), nullptr);
}

} // namespace
} // namespace mvx::test
