#include "barcode/QrSymbolBitmap.h"

#include "barcode/CQREncoder.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {
namespace {

// The mode a newly created file gets under the current umask.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

} // namespace

QrSymbolBitmap::QrSymbolBitmap(const CQREncoder& encoder)
{
    const int n = encoder.moduleCount();
    if (n == 0)
        return;
    side_ = n + 2 * kBorderModules;
    pixels_.assign(static_cast<size_t>(side_) * side_, 0);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (encoder.isDark(x, y))
                pixels_[static_cast<size_t>(y + kBorderModules) * side_ + x + kBorderModules] = 1;
}

std::vector<uint8_t> QrSymbolBitmap::deviceIndependentBitmap() const
{
    const int s = side_ * kFilePixelsPerModule;
    const int stride = rowBytes(s);
    const int imageSize = stride * s;
    std::vector<uint8_t> dib(static_cast<size_t>(kInfoHeaderSize + kColourTableSize + imageSize), 0);
    uint8_t* h = dib.data();
    putLe32(h, kInfoHeaderSize);
    putLe32(h + 4, static_cast<uint32_t>(s));
    putLe32(h + 8, static_cast<uint32_t>(s));  // positive: rows bottom-up
    putLe16(h + 12, 1);                          // planes
    putLe16(h + 14, 1);                          // bits per pixel
    putLe32(h + 16, 0);                          // no compression
    putLe32(h + 20, static_cast<uint32_t>(imageSize));
    putLe32(h + 24, kPixelsPerMetre);
    putLe32(h + 28, kPixelsPerMetre);
    // colour counts 0; colour table: index 0 black, index 1 white
    uint8_t* table = h + kInfoHeaderSize;
    table[4] = table[5] = table[6] = 0xFF;

    uint8_t* rows = table + kColourTableSize;
    for (int row = 0; row < s; ++row) {
        const int y = (s - 1 - row) / kFilePixelsPerModule;  // bottom row first
        uint8_t* out = rows + static_cast<size_t>(row) * stride;
        for (int px = 0; px < s; ++px)
            if (!isBlack(px / kFilePixelsPerModule, y))
                out[px >> 3] = static_cast<uint8_t>(out[px >> 3] | (0x80 >> (px & 7)));
    }
    return dib;
}

std::vector<uint8_t> QrSymbolBitmap::bmpFile() const
{
    const std::vector<uint8_t> dib = deviceIndependentBitmap();
    std::vector<uint8_t> file(kFileHeaderSize + dib.size(), 0);
    file[0] = 'B';
    file[1] = 'M';
    putLe32(file.data() + 2, static_cast<uint32_t>(file.size()));
    putLe32(file.data() + 10, kPixelOffset);
    std::copy(dib.begin(), dib.end(), file.begin() + kFileHeaderSize);
    return file;
}

bool QrSymbolBitmap::saveBmpFile(const std::string& path) const
{
    if (side_ == 0 || path.empty())
        return false;
    std::string temp = folderOf(path) + ".mvx-bmp-XXXXXX";
    FdGuard fd(mkstemp(temp.data()));
    if (!fd.valid())
        return false;
    const std::vector<uint8_t> bytes = bmpFile();
    const bool written = writeFully(fd.get(), bytes.data(), bytes.size()) && fchmod(fd.get(), newFileMode()) == 0;
    if (!fd.close() || !written || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace mvx
