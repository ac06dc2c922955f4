#pragma once

#include "barcode/CQREncoder.h"
#include "barcode/QrSymbolBitmap.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mvx::test {

// One segment read back from an encoder's data codewords.
struct ReadSegment {
    int mode = 0;        // 1 numeric, 2 alphanumeric, 4 byte, 8 Kanji
    int count = 0;       // characters as the count indicator says
    std::string bytes;   // the text the segment carries (Kanji as Shift-JIS)
};

struct ReadStream {
    std::vector<ReadSegment> segments;
    int bitsUsed = 0;    // up to and excluding the terminator
    bool valid = false;  // every segment complete and inside the codewords
};

// Reads the segments of the data codewords the way a decoder would, with the
// count widths of the version's group.
ReadStream readSegments(const CQREncoder& encoder);

// Count-indicator width of a mode for a version (from the standard).
int countIndicatorBits(int mode, int version);

std::unique_ptr<CQREncoder> encodeOrNull(int level, int version, bool allowLarger, int mask, const std::string& text);

// A fresh empty folder below the system's temporary folder, removed by the destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes the symbol bitmap as a grey-scale PNM file, scale pixels per pixel.
void writePgm(const QrSymbolBitmap& bitmap, const std::string& path, int scale);

// Runs zbarimg on an image file; the exact bytes of the one symbol read, or
// nothing when it read none.
std::optional<std::string> zbarRead(const std::string& imagePath);

std::string readWholeFile(const std::string& path);

} // namespace mvx::test
