// The symbol bitmap, the BMP file and the clipboard bitmap.
#include "QrTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace mvx::test {
namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

std::vector<uint8_t> asBytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(QrSymbolBitmap, LightBorderOfFourModulesOnePixelPerModule)
{
    auto encoder = encodeOrNull(CQREncoder::LevelM, 0, true, -1, "BORDER");
    ASSERT_NE(encoder, nullptr);
    const QrSymbolBitmap bitmap(*encoder);
    const int n = encoder->moduleCount();
    ASSERT_EQ(bitmap.side(), n + 8);
    for (int y = 0; y < bitmap.side(); ++y)
        for (int x = 0; x < bitmap.side(); ++x) {
            const bool inside = x >= 4 && y >= 4 && x < n + 4 && y < n + 4;
            EXPECT_EQ(bitmap.isBlack(x, y), inside && encoder->isDark(x - 4, y - 4)) << x << "," << y;
        }
}

TEST(QrSymbolBitmap, BmpHeaderLayout)
{
    auto encoder = encodeOrNull(CQREncoder::LevelM, 1, false, -1, "HEADER");
    ASSERT_NE(encoder, nullptr);
    const std::vector<uint8_t> file = QrSymbolBitmap(*encoder).bmpFile();
    // Version 1: 21 modules, 29 with the border, 58 pixels a side, rows of 8 bytes.
    const uint32_t imageSize = 8 * 58;
    ASSERT_EQ(file.size(), 62 + imageSize);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(le32(file, 2), 62 + imageSize);
    EXPECT_EQ(le32(file, 6), 0u);
    EXPECT_EQ(le32(file, 10), 62u);
    EXPECT_EQ(le32(file, 14), 40u);
    EXPECT_EQ(le32(file, 18), 58u);
    EXPECT_EQ(le32(file, 22), 58u);
    EXPECT_EQ(le16(file, 26), 1);
    EXPECT_EQ(le16(file, 28), 1);
    EXPECT_EQ(le32(file, 30), 0u);
    EXPECT_EQ(le32(file, 34), imageSize);
    EXPECT_EQ(le32(file, 38), 3780u);
    EXPECT_EQ(le32(file, 42), 3780u);
    EXPECT_EQ(le32(file, 46), 0u);
    EXPECT_EQ(le32(file, 50), 0u);
    // colour table: black, then white
    EXPECT_EQ(le32(file, 54), 0x00000000u);
    EXPECT_EQ(le32(file, 58), 0x00FFFFFFu);
}

TEST(QrSymbolBitmap, RowsBottomUpTwoPixelsPerModule)
{
    auto encoder = encodeOrNull(CQREncoder::LevelH, 0, true, -1, "ROWS 0123");
    ASSERT_NE(encoder, nullptr);
    const QrSymbolBitmap bitmap(*encoder);
    const std::vector<uint8_t> file = bitmap.bmpFile();
    const int s = 2 * bitmap.side();
    const int stride = (s + 31) / 32 * 4;
    for (int row = 0; row < s; ++row) {
        const int y = s - 1 - row;  // first stored row is the bottom one
        for (int x = 0; x < s; ++x) {
            const uint8_t byte = file[62 + static_cast<size_t>(row) * stride + x / 8];
            const bool white = byte >> (7 - x % 8) & 1;
            ASSERT_EQ(white, !bitmap.isBlack(x / 2, y / 2)) << x << "," << y;
        }
        for (int x = s; x < stride * 8; ++x)
            EXPECT_EQ(file[62 + static_cast<size_t>(row) * stride + x / 8] >> (7 - x % 8) & 1, 0);
    }
}

TEST(QrSymbolBitmap, ClipboardBitmapIsTheFileWithoutItsFileHeader)
{
    auto encoder = encodeOrNull(CQREncoder::LevelM, 0, true, -1, "CLIPBOARD");
    ASSERT_NE(encoder, nullptr);
    const QrSymbolBitmap bitmap(*encoder);
    const std::vector<uint8_t> file = bitmap.bmpFile();
    const std::vector<uint8_t> dib = bitmap.deviceIndependentBitmap();
    ASSERT_EQ(dib.size() + 14, file.size());
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file.begin() + 14));
    EXPECT_EQ(le32(dib, 4), static_cast<uint32_t>(2 * bitmap.side()));
}

TEST(QrSymbolBitmap, SideGrowsWithTheVersion)
{
    for (int version : {1, 10, 40}) {
        auto encoder = encodeOrNull(CQREncoder::LevelM, version, false, -1, "SIZE");
        ASSERT_NE(encoder, nullptr);
        const std::vector<uint8_t> file = QrSymbolBitmap(*encoder).bmpFile();
        EXPECT_EQ(le32(file, 18), static_cast<uint32_t>(2 * (4 * version + 25)));
    }
}

TEST(QrSymbolBitmap, SavedFileOpensInTheDecoder)
{
    TempFolder folder;
    const std::string text = "Saved as a 1-bit BMP \x8A\xBF";
    auto encoder = encodeOrNull(CQREncoder::LevelM, 0, true, -1, text);
    ASSERT_NE(encoder, nullptr);
    const QrSymbolBitmap bitmap(*encoder);
    const std::string path = folder.file("symbol.bmp");
    ASSERT_TRUE(bitmap.saveBmpFile(path));
    EXPECT_EQ(asBytes(readWholeFile(path)), bitmap.bmpFile());
    const auto read = zbarRead(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, text);
}

TEST(QrSymbolBitmap, SavingReplacesAnExistingFile)
{
    TempFolder folder;
    const std::string path = folder.file("old.bmp");
    {
        std::ofstream(path) << "an older and longer file that is not a bitmap at all, padding padding padding";
    }
    auto encoder = encodeOrNull(CQREncoder::LevelM, 0, true, -1, "NEW");
    ASSERT_NE(encoder, nullptr);
    const QrSymbolBitmap bitmap(*encoder);
    ASSERT_TRUE(bitmap.saveBmpFile(path));
    EXPECT_EQ(asBytes(readWholeFile(path)), bitmap.bmpFile());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(QrSymbolBitmap, FailedSaveChangesNothing)
{
    TempFolder folder;
    auto encoder = encodeOrNull(CQREncoder::LevelM, 0, true, -1, "FAIL");
    ASSERT_NE(encoder, nullptr);
    const QrSymbolBitmap bitmap(*encoder);
    EXPECT_FALSE(bitmap.saveBmpFile(folder.file("missing/symbol.bmp")));
    // A folder in the way of the file: nothing replaced, no stray file left.
    std::filesystem::create_directory(folder.file("taken.bmp"));
    EXPECT_FALSE(bitmap.saveBmpFile(folder.file("taken.bmp")));
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("taken.bmp")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(QrSymbolBitmap, EncoderWithoutSymbolGivesEmptyBitmap)
{
    CQREncoder encoder;
    EXPECT_FALSE(encoder.encode(CQREncoder::LevelM, 0, true, -1, "", 0));
    const QrSymbolBitmap bitmap(encoder);
    EXPECT_EQ(bitmap.side(), 0);
    TempFolder folder;
    EXPECT_FALSE(bitmap.saveBmpFile(folder.file("empty.bmp")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("empty.bmp")));
}

} // namespace
} // namespace mvx::test
