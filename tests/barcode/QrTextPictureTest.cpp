// The symbol drawn with half blocks for a terminal.
#include "QrTestSupport.h"

#include "barcode/QrTextPicture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace mvx::test {
namespace {

// Splits a line of the picture into its cells (one UTF-8 character or blank each).
std::vector<std::string> cellsOf(const std::string& line)
{
    std::vector<std::string> cells;
    for (size_t i = 0; i < line.size();) {
        const size_t length = (static_cast<unsigned char>(line[i]) & 0x80) ? 3 : 1;
        cells.push_back(line.substr(i, length));
        i += length;
    }
    return cells;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The two modules one cell shows: upper and lower drawn half.
std::pair<bool, bool> halves(const std::string& cell)
{
    if (cell == "\u2588")
        return {true, true};
    if (cell == "\u2580")
        return {true, false};
    if (cell == "\u2584")
        return {false, true};
    EXPECT_EQ(cell, " ");
    return {false, false};
}

TEST(QrTextPicture, TwoModulesPerCellDarkDrawn)
{
    auto encoder = encodeOrNull(CQREncoder::LevelM, 0, true, -1, "TERMINAL PICTURE");
    ASSERT_NE(encoder, nullptr);
    const QrSymbolBitmap bitmap(*encoder);
    const auto lines = linesOf(halfBlockPicture(bitmap, TextPictureStyle::DarkAsBlocks));
    ASSERT_EQ(static_cast<int>(lines.size()), (bitmap.side() + 1) / 2);
    for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
        const auto cells = cellsOf(lines[row]);
        ASSERT_EQ(static_cast<int>(cells.size()), bitmap.side());
        for (int x = 0; x < bitmap.side(); ++x) {
            const auto [upper, lower] = halves(cells[x]);
            EXPECT_EQ(upper, bitmap.isBlack(x, 2 * row));
            const bool lowerBlack = 2 * row + 1 < bitmap.side() && bitmap.isBlack(x, 2 * row + 1);
            EXPECT_EQ(lower, lowerBlack);
        }
    }
}

TEST(QrTextPicture, LightDrawnIsTheComplement)
{
    auto encoder = encodeOrNull(CQREncoder::LevelL, 0, true, -1, "INVERT");
    ASSERT_NE(encoder, nullptr);
    const QrSymbolBitmap bitmap(*encoder);
    const auto dark = linesOf(halfBlockPicture(bitmap, TextPictureStyle::DarkAsBlocks));
    const auto light = linesOf(halfBlockPicture(bitmap, TextPictureStyle::LightAsBlocks));
    ASSERT_EQ(dark.size(), light.size());
    for (size_t row = 0; row + 1 < dark.size(); ++row) {  // the last line pairs with a row beyond the bitmap
        const auto d = cellsOf(dark[row]);
        const auto l = cellsOf(light[row]);
        ASSERT_EQ(d.size(), l.size());
        for (size_t x = 0; x < d.size(); ++x) {
            EXPECT_EQ(halves(d[x]).first, !halves(l[x]).first);
            EXPECT_EQ(halves(d[x]).second, !halves(l[x]).second);
        }
    }
}

TEST(QrTextPicture, ColouredLinesSetAndResetTheColours)
{
    auto encoder = encodeOrNull(CQREncoder::LevelL, 0, true, -1, "COLOUR");
    ASSERT_NE(encoder, nullptr);
    const QrSymbolBitmap bitmap(*encoder);
    const auto plain = linesOf(halfBlockPicture(bitmap, TextPictureStyle::DarkAsBlocks));
    const auto coloured = linesOf(halfBlockPicture(bitmap, TextPictureStyle::Coloured));
    ASSERT_EQ(plain.size(), coloured.size());
    for (size_t row = 0; row < plain.size(); ++row)
        EXPECT_EQ(coloured[row], "\x1b[30;47m" + plain[row] + "\x1b[0m");
}

} // namespace
} // namespace mvx::test
