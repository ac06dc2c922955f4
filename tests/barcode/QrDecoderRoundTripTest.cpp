// Symbols read back by a real decoder (zbarimg), byte for byte.
#include "QrTestSupport.h"

#include "app/CMessageTable.h"
#include "app/Msg.h"
#include "barcode/QrTables.h"
#include "barcode/RegistrationContent.h"

#include <gtest/gtest.h>

namespace mvx::test {
namespace {

class QrDecoderRoundTrip : public ::testing::Test {
protected:
    // Encodes, writes the symbol as a PNM file and reads it with zbarimg.
    std::optional<std::string> roundTrip(const CQREncoder& encoder)
    {
        const std::string path = folder_.file("symbol" + std::to_string(counter_++) + ".pgm");
        writePgm(QrSymbolBitmap(encoder), path, 3);
        return zbarRead(path);
    }

    void expectReadBack(const std::string& text, int level = CQREncoder::LevelM, int version = 0, int mask = -1)
    {
        auto encoder = encodeOrNull(level, version, version != 0 ? false : true, mask, text);
        ASSERT_NE(encoder, nullptr) << "level " << level << " version " << version;
        const auto read = roundTrip(*encoder);
        ASSERT_TRUE(read.has_value()) << "no symbol read: level " << level << " version " << encoder->version();
        EXPECT_EQ(*read, text) << "level " << level << " version " << encoder->version();
    }

    TempFolder folder_;
    int counter_ = 0;
};

// A text of mixed segments that fills most of the version's data codewords.
std::string fillingText(int version, int level)
{
    const int capacity = qr::versionLayout(version).levels[level].dataCodewords;
    const std::string pieces[] = {"HELLO WORLD 42", "3141592653589793", "mixed Case text, ", "\x8A\xBF\x8E\x9A"};
    std::string text;
    for (int i = 0;; ++i) {
        const std::string& piece = pieces[i % 4];
        // bytes are the widest case: keep room for headers
        if (static_cast<int>(text.size() + piece.size()) + 4 * (i + 1) > capacity - 3)
            break;
        text += piece;
    }
    if (text.empty())
        text = "7";
    return text;
}

TEST_F(QrDecoderRoundTrip, EveryMode)
{
    expectReadBack("0123456789012345678901234567890");
    expectReadBack("HTTP://EXAMPLE.ORG/$%*+-./: 123");
    expectReadBack("lower case, punctuation; and bytes \x01\x7F\xFF\x80");
    expectReadBack("\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67");  // Japanese in Shift-JIS
    expectReadBack("ABC\x8A\xBF\x8E\x9A" "def 12345678 GHI");
}

TEST_F(QrDecoderRoundTrip, AllFourLevelsOverSampleOfVersions)
{
    for (int version : {1, 2, 5, 7, 9, 10, 14, 22, 26, 27, 33, 40})
        for (int level = 0; level < 4; ++level)
            expectReadBack(fillingText(version, level), level, version);
}

TEST_F(QrDecoderRoundTrip, EveryMaskPattern)
{
    for (int mask = 0; mask < 8; ++mask)
        expectReadBack("MASK PATTERN test " + std::to_string(mask), CQREncoder::LevelQ, 3, mask);
}

TEST_F(QrDecoderRoundTrip, LargestByteText)
{
    std::string text;
    for (int i = 0; i < 2953; ++i)
        text += static_cast<char>('a' + i % 26);
    expectReadBack(text, CQREncoder::LevelL, 40);
}

TEST_F(QrDecoderRoundTrip, RegistrationSymbolOfTestUser)
{
    const std::string key = readWholeFile(std::string(MORVANEX_TEST_DATA_DIR) + "/containers/sender.kpub");
    const CMessageTable table;
    RegistrationInputs inputs;
    inputs.leadSentence = table.text(Msg::BarcodeLeadSentence);
    inputs.publicKeyFile = key;
    inputs.userName = "山田 太郎";
    inputs.mail = "taro.yamada@example.jp";
    inputs.baseUrl = "https://service.example.jp/";
    inputs.keyTime = 1767225600;
    const Registration registration = buildRegistration(inputs);
    ASSERT_EQ(registration.status, RegistrationStatus::Ok);
    auto encoder = encodeOrNull(CQREncoder::LevelM, 0, true, -1, registration.content);
    ASSERT_NE(encoder, nullptr);
    const ReadStream segments = readSegments(*encoder);
    ASSERT_FALSE(segments.segments.empty());
    EXPECT_EQ(segments.segments[0].mode, CQREncoder::ModeKanji);
    const auto read = roundTrip(*encoder);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, registration.content);
}

} // namespace
} // namespace mvx::test
