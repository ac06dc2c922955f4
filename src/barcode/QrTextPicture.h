#pragma once

#include <string>

namespace mvx {

class QrSymbolBitmap;

// The symbol bitmap (border included) drawn with half blocks, two modules
// per character cell, one line per two rows.
enum class TextPictureStyle {
    DarkAsBlocks,   // plain text: dark modules are the drawn part (light backgrounds, files)
    LightAsBlocks,  // plain text for terminals with a dark background
    Coloured,       // terminal colours set to black on white, right on any terminal
};

std::string halfBlockPicture(const QrSymbolBitmap& bitmap, TextPictureStyle style);

} // namespace mvx
