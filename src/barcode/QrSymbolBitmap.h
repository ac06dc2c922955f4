#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mvx {

class CQREncoder;

// The 1-bit picture of a finished symbol: white, a black pixel for every dark
// module, a light border of four modules. It gives the bytes of the bitmap
// file and of the device-independent bitmap the clipboard takes, both at two
// pixels per module.
class QrSymbolBitmap {
public:
    static constexpr int kBorderModules = 4;
    static constexpr int kFilePixelsPerModule = 2;
    static constexpr int kFileHeaderSize = 14;
    static constexpr int kInfoHeaderSize = 40;
    static constexpr int kColourTableSize = 8;
    static constexpr int kPixelOffset = kFileHeaderSize + kInfoHeaderSize + kColourTableSize;  // 62
    static constexpr int32_t kPixelsPerMetre = 3780;

    // One pixel per module; an encoder without a symbol gives an empty bitmap.
    explicit QrSymbolBitmap(const CQREncoder& encoder);

    int side() const { return side_; }
    bool isBlack(int x, int y) const { return pixels_[static_cast<size_t>(y) * side_ + x] != 0; }

    // Information header, two-entry colour table and pixel rows, bottom-up.
    std::vector<uint8_t> deviceIndependentBitmap() const;
    // The whole ".bmp" file: file header in front of the above.
    std::vector<uint8_t> bmpFile() const;
    // Writes the file, replacing an existing one only once the new one is
    // completely written. False (and nothing changed) when that fails.
    bool saveBmpFile(const std::string& path) const;

    static int rowBytes(int width) { return (width + 31) / 32 * 4; }

private:
    int side_ = 0;
    std::vector<uint8_t> pixels_;  // row-major, top row first, 1 = black
};

} // namespace mvx
