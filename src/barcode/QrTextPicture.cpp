#include "barcode/QrTextPicture.h"

#include "barcode/QrSymbolBitmap.h"

namespace mvx {
namespace {

const char* const kEmpty = " ";
const char* const kUpperHalf = "\u2580";
const char* const kLowerHalf = "\u2584";
const char* const kFullBlock = "\u2588";

const char* const kBlackOnWhite = "\x1b[30;47m";
const char* const kResetColours = "\x1b[0m";

const char* cell(bool upper, bool lower)
{
    if (upper && lower)
        return kFullBlock;
    if (upper)
        return kUpperHalf;
    return lower ? kLowerHalf : kEmpty;
}

} // namespace

std::string halfBlockPicture(const QrSymbolBitmap& bitmap, TextPictureStyle style)
{
    const int side = bitmap.side();
    const bool drawLight = style == TextPictureStyle::LightAsBlocks;
    auto drawn = [&](int x, int y) {
        const bool black = y < side && bitmap.isBlack(x, y);  // a row below the bitmap is light
        return drawLight ? !black : black;
    };
    std::string out;
    for (int y = 0; y < side; y += 2) {
        if (style == TextPictureStyle::Coloured)
            out += kBlackOnWhite;
        for (int x = 0; x < side; ++x)
            out += cell(drawn(x, y), drawn(x, y + 1));
        if (style == TextPictureStyle::Coloured)
            out += kResetColours;
        out += '\n';
    }
    return out;
}

} // namespace mvx
