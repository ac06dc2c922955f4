// How the encoder cuts a text into segments and picks the version.
#include "QrTestSupport.h"

#include "barcode/QrTables.h"

#include <gtest/gtest.h>

namespace mvx::test {
namespace {

constexpr int kNumeric = 1;
constexpr int kAlphanumeric = 2;
constexpr int kByte = 4;
constexpr int kKanji = 8;

const std::string kKanjiPair = "\x8A\xBF";      // 漢
const std::string kSecondKanji = "\x8E\x9A";   // 字

struct Expected {
    int mode;
    std::string bytes;
};

void expectSegments(const std::string& text, const std::vector<Expected>& expected, int level = CQREncoder::LevelM,
                    int version = 0)
{
    auto encoder = encodeOrNull(level, version, true, -1, text);
    ASSERT_NE(encoder, nullptr) << text;
    const ReadStream read = readSegments(*encoder);
    ASSERT_TRUE(read.valid);
    ASSERT_EQ(read.segments.size(), expected.size()) << text;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(read.segments[i].mode, expected[i].mode) << text << " segment " << i;
        EXPECT_EQ(read.segments[i].bytes, expected[i].bytes) << text << " segment " << i;
    }
    EXPECT_EQ(read.bitsUsed, encoder->segmentBitCount());
}

std::string repeated(char c, int n) { return std::string(static_cast<size_t>(n), c); }

TEST(QrSegmentChoice, TenDigitsMakeOneNumericSegment)
{
    expectSegments("0123456789", {{kNumeric, "0123456789"}});
}

TEST(QrSegmentChoice, CapitalsThenDigitsMakeOneAlphanumericSegment)
{
    expectSegments("AB12", {{kAlphanumeric, "AB12"}});
}

TEST(QrSegmentChoice, TwoDigitsThenCapitalsStartAlphanumeric)
{
    expectSegments("12AB", {{kAlphanumeric, "12AB"}});
}

TEST(QrSegmentChoice, LongDigitRunInsideLettersGetsItsOwnNumericSegment)
{
    // 13 digits end an alphanumeric segment in versions 1 to 9.
    expectSegments("ABC" + repeated('7', 13) + "XYZ",
                   {{kAlphanumeric, "ABC"}, {kNumeric, repeated('7', 13)}, {kAlphanumeric, "XYZ"}});
    expectSegments("ABC" + repeated('7', 12) + "XYZ", {{kAlphanumeric, "ABC" + repeated('7', 12) + "XYZ"}});
}

TEST(QrSegmentChoice, DigitsFollowedLateByLetterStayNumeric)
{
    // The letter lies beyond the digit-start look-ahead of 7.
    expectSegments("1234567A", {{kNumeric, "1234567"}, {kAlphanumeric, "A"}});
    expectSegments("123456A", {{kAlphanumeric, "123456A"}});
}

TEST(QrSegmentChoice, LowerCaseLetterForcesByteSegmentWhereItStands)
{
    expectSegments("ABCDEFGHIJKLMNOPa", {{kAlphanumeric, "ABCDEFGHIJKLMNOP"}, {kByte, "a"}});
    // Within the letter-start check length the whole start becomes bytes,
    // until an alphanumeric run of 11 begins.
    expectSegments("ABCaDEFGHIJKLMNOPQRS", {{kByte, "ABCa"}, {kAlphanumeric, "DEFGHIJKLMNOPQRS"}});
    expectSegments("abcdef", {{kByte, "abcdef"}});
}

TEST(QrSegmentChoice, ByteSegmentEndsAtDigitRunOfSix)
{
    expectSegments("abc123456def", {{kByte, "abc"}, {kNumeric, "123456"}, {kByte, "def"}});
    expectSegments("abc12345def", {{kByte, "abc12345def"}});
}

TEST(QrSegmentChoice, KanjiPairEndsRunningSegmentAndStartsKanjiSegment)
{
    expectSegments("ABC" + kKanjiPair + kSecondKanji + "DEF",
                   {{kByte, "ABC"}, {kKanji, kKanjiPair + kSecondKanji}, {kAlphanumeric, "DEF"}});
    expectSegments("12345678" + kKanjiPair, {{kNumeric, "12345678"}, {kKanji, kKanjiPair}});
    expectSegments("abc" + kKanjiPair + "abc", {{kByte, "abc"}, {kKanji, kKanjiPair}, {kByte, "abc"}});
}

TEST(QrSegmentChoice, KanjiRangeLimits)
{
    // 0x9F 0xFC and 0xEB 0xBF are the last Kanji pairs of their rows;
    // 0x9F 0xFD, 0xEB 0xC0 and a second byte below 0x40 are bytes.
    expectSegments("\x9F\xFC", {{kKanji, "\x9F\xFC"}});
    expectSegments("\xEB\xBF", {{kKanji, "\xEB\xBF"}});
    expectSegments("\xE0\x40", {{kKanji, "\xE0\x40"}});
    expectSegments("\x9F\xFD", {{kByte, "\x9F\xFD"}});
    expectSegments("\xEB\xC0", {{kByte, "\xEB\xC0"}});
    expectSegments("\x81\x3F", {{kByte, "\x81\x3F"}});
    expectSegments("\xA0\x40", {{kByte, "\xA0\x40"}});
    // A lone lead byte at the end is a byte.
    expectSegments("A\x81", {{kByte, "A\x81"}});
}

TEST(QrSegmentChoice, ThresholdsFollowTheVersionGroup)
{
    // In versions 10 to 26 an alphanumeric segment ends only at 15 digits.
    const std::string text = "ABC" + repeated('7', 13) + "XYZ";
    expectSegments(text, {{kAlphanumeric, text}}, CQREncoder::LevelM, 10);
    expectSegments("ABC" + repeated('7', 15) + "XYZ",
                   {{kAlphanumeric, "ABC"}, {kNumeric, repeated('7', 15)}, {kAlphanumeric, "XYZ"}},
                   CQREncoder::LevelM, 10);
    // In versions 27 to 40, 17 digits.
    expectSegments("ABC" + repeated('7', 16) + "XYZ", {{kAlphanumeric, "ABC" + repeated('7', 16) + "XYZ"}},
                   CQREncoder::LevelM, 27);
}

// ------------------------------------------------------------ count widths

struct CountWidthCase {
    std::string text;
    int mode;
    int bodyBits;
};

TEST(QrCountWidth, IndicatorWidthsChangeAtVersionTenAndTwentySeven)
{
    const std::vector<CountWidthCase> cases = {
        {"12345", kNumeric, 17},
        {"AB:CD", kAlphanumeric, 28},
        {"hello", kByte, 40},
        {kKanjiPair + kSecondKanji, kKanji, 26},
    };
    for (const auto& c : cases)
        for (int version : {1, 9, 10, 26, 27, 40}) {
            auto encoder = encodeOrNull(CQREncoder::LevelH, version, false, -1, c.text);
            ASSERT_NE(encoder, nullptr);
            ASSERT_EQ(encoder->version(), version);
            EXPECT_EQ(encoder->segmentBitCount(), 4 + countIndicatorBits(c.mode, version) + c.bodyBits)
                << c.text << " version " << version;
            const ReadStream read = readSegments(*encoder);
            ASSERT_EQ(read.segments.size(), 1u);
            EXPECT_EQ(read.segments[0].bytes, c.text);
        }
}

TEST(QrCountWidth, TextNeedingVersionTenIsReencodedWithWiderCounts)
{
    // 181 bytes: 4 + 8 + 1448 bits exceed version 9-M (182 codewords, 1456 bits);
    // with the 16-bit count of versions 10 to 26 they fit version 10-M.
    const std::string text = repeated('x', 181);
    auto encoder = encodeOrNull(CQREncoder::LevelM, 0, true, -1, text);
    ASSERT_NE(encoder, nullptr);
    EXPECT_EQ(encoder->version(), 10);
    EXPECT_EQ(encoder->segmentBitCount(), 4 + 16 + 181 * 8);
    const ReadStream read = readSegments(*encoder);
    ASSERT_EQ(read.segments.size(), 1u);
    EXPECT_EQ(read.segments[0].count, 181);

    auto smaller = encodeOrNull(CQREncoder::LevelM, 0, true, -1, repeated('x', 180));
    ASSERT_NE(smaller, nullptr);
    EXPECT_EQ(smaller->version(), 9);
}

// ------------------------------------------------------------ version choice

// Bytes a single byte segment can hold in a version of group 0.
int byteCapacity(int version, int level)
{
    return (qr::versionLayout(version).levels[level].dataCodewords * 8 - 12) / 8;
}

TEST(QrVersionChoice, OneByteOverCapacityMovesToNextVersionAtLevelM)
{
    for (int version = 1; version <= 8; ++version) {
        const int capacity = byteCapacity(version, CQREncoder::LevelM);
        auto fits = encodeOrNull(CQREncoder::LevelM, 0, true, -1, repeated('q', capacity));
        auto over = encodeOrNull(CQREncoder::LevelM, 0, true, -1, repeated('q', capacity + 1));
        ASSERT_NE(fits, nullptr);
        ASSERT_NE(over, nullptr);
        EXPECT_EQ(fits->version(), version);
        EXPECT_EQ(over->version(), version + 1);
    }
    // Published capacities of version 1-M: 14 bytes, 34 digits.
    EXPECT_EQ(byteCapacity(1, CQREncoder::LevelM), 14);
    EXPECT_EQ(encodeOrNull(CQREncoder::LevelM, 0, true, -1, repeated('9', 34))->version(), 1);
    EXPECT_EQ(encodeOrNull(CQREncoder::LevelM, 0, true, -1, repeated('9', 35))->version(), 2);
}

TEST(QrVersionChoice, RequestedVersionFiveWithTextNeedingSeven)
{
    // 115 bytes: more than version 6-M holds (108 codewords), fits 7-M (124).
    const std::string text = repeated('k', 115);
    auto automatic = encodeOrNull(CQREncoder::LevelM, 0, true, -1, text);
    ASSERT_NE(automatic, nullptr);
    ASSERT_EQ(automatic->version(), 7);

    auto larger = encodeOrNull(CQREncoder::LevelM, 5, true, -1, text);
    ASSERT_NE(larger, nullptr);
    EXPECT_EQ(larger->version(), 7);

    CQREncoder strict;
    EXPECT_FALSE(strict.encode(CQREncoder::LevelM, 5, false, -1, text.data(), static_cast<int>(text.size())));
    EXPECT_EQ(strict.version(), 0);
    EXPECT_EQ(strict.moduleCount(), 0);
}

TEST(QrVersionChoice, RequestedVersionLargerThanNeededIsUsed)
{
    auto encoder = encodeOrNull(CQREncoder::LevelQ, 12, false, -1, "HELLO");
    ASSERT_NE(encoder, nullptr);
    EXPECT_EQ(encoder->version(), 12);
    EXPECT_EQ(encoder->moduleCount(), 65);
    EXPECT_EQ(encoder->segmentBitCount(), 4 + 11 + 28);
}

TEST(QrVersionChoice, EmptyAndOversizedTextsFail)
{
    CQREncoder encoder;
    EXPECT_FALSE(encoder.encode(CQREncoder::LevelL, 0, true, -1, "", 0));
    // 2,953 bytes are the most version 40-L holds in one byte segment.
    const std::string largest = repeated('z', 2953);
    EXPECT_TRUE(encoder.encode(CQREncoder::LevelL, 0, true, -1, largest.data(), static_cast<int>(largest.size())));
    EXPECT_EQ(encoder.version(), 40);
    const std::string tooLong = repeated('z', 2954);
    EXPECT_FALSE(encoder.encode(CQREncoder::LevelL, 0, true, -1, tooLong.data(), static_cast<int>(tooLong.size())));
    EXPECT_EQ(encoder.moduleCount(), 0);
    EXPECT_FALSE(encoder.encode(CQREncoder::LevelH, 0, true, -1, largest.data(), static_cast<int>(largest.size())));
}

TEST(QrVersionChoice, ZeroLengthMeansZeroTerminatedText)
{
    CQREncoder encoder;
    ASSERT_TRUE(encoder.encode(CQREncoder::LevelM, 0, true, -1, "ABC\0DEF", 0));
    const ReadStream read = readSegments(encoder);
    ASSERT_EQ(read.segments.size(), 1u);
    EXPECT_EQ(read.segments[0].bytes, "ABC");
}

TEST(QrVersionChoice, BadArgumentsFail)
{
    CQREncoder encoder;
    EXPECT_FALSE(encoder.encode(4, 0, true, -1, "A", 1));
    EXPECT_FALSE(encoder.encode(-1, 0, true, -1, "A", 1));
    EXPECT_FALSE(encoder.encode(0, 41, true, -1, "A", 1));
    EXPECT_FALSE(encoder.encode(0, 0, true, 8, "A", 1));
    EXPECT_FALSE(encoder.encode(0, 0, true, -2, "A", 1));
    EXPECT_FALSE(encoder.encode(0, 0, true, -1, nullptr, 1));
}

// ------------------------------------------------------------ padding

TEST(QrDataCodewords, TerminatorAndAlternatingPadBytes)
{
    auto encoder = encodeOrNull(CQREncoder::LevelH, 1, false, -1, "1");
    ASSERT_NE(encoder, nullptr);
    // 4 + 10 + 4 bits of segment, 4 terminator bits, then zero bits to the byte.
    ASSERT_EQ(encoder->dataCodewordCount(), 9);
    const uint8_t* d = encoder->dataCodewords();
    EXPECT_EQ(d[0], 0x10);  // 0001 0000
    EXPECT_EQ(d[1], 0x04);  // 0000 0100: count 1, digit 1 begins
    EXPECT_EQ(d[2], 0x40);  // 01 then terminator and fill
    const uint8_t pads[] = {236, 17, 236, 17, 236, 17};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(d[3 + i], pads[i]) << i;
}

TEST(QrDataCodewords, ShortTerminatorWhenFewerThanFourBitsRemain)
{
    // Version 1-H holds 72 bits; 17 digits take 4 + 10 + 57 = 71 bits.
    auto encoder = encodeOrNull(CQREncoder::LevelH, 1, false, -1, repeated('8', 17));
    ASSERT_NE(encoder, nullptr);
    EXPECT_EQ(encoder->segmentBitCount(), 71);
    EXPECT_EQ(encoder->dataCodewords()[8] & 1, 0);
    const ReadStream read = readSegments(*encoder);
    ASSERT_TRUE(read.valid);
    ASSERT_EQ(read.segments.size(), 1u);
    EXPECT_EQ(read.segments[0].bytes, repeated('8', 17));
}

} // namespace
} // namespace mvx::test
