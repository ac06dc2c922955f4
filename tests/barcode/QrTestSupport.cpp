#include "QrTestSupport.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>

namespace mvx::test {
namespace {

class BitReader {
public:
    BitReader(const uint8_t* data, int bitLength) : data_(data), length_(bitLength) {}
    int left() const { return length_ - pos_; }
    int position() const { return pos_; }
    int read(int bits)
    {
        int v = 0;
        for (int i = 0; i < bits; ++i, ++pos_)
            v = v << 1 | (data_[pos_ >> 3] >> (7 - (pos_ & 7)) & 1);
        return v;
    }

private:
    const uint8_t* data_;
    int length_;
    int pos_ = 0;
};

const char kAlphanumericSet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";

std::string kanjiToShiftJis(int value)
{
    int code = (value / 0xC0) << 8 | (value % 0xC0);
    code += code + 0x8140 <= 0x9FFC ? 0x8140 : 0xC140;
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

// Reads one segment body; false when the codewords end inside it.
bool readBody(BitReader& in, ReadSegment& s)
{
    int left = s.count;
    auto need = [&](int bits) { return in.left() >= bits; };
    switch (s.mode) {
    case 1:
        for (; left >= 3; left -= 3) {
            if (!need(10))
                return false;
            const int v = in.read(10);
            s.bytes += std::to_string(v / 100) + std::to_string(v / 10 % 10) + std::to_string(v % 10);
        }
        if (left == 2) {
            if (!need(7))
                return false;
            const int v = in.read(7);
            s.bytes += std::to_string(v / 10) + std::to_string(v % 10);
        } else if (left == 1) {
            if (!need(4))
                return false;
            s.bytes += std::to_string(in.read(4));
        }
        return true;
    case 2:
        for (; left >= 2; left -= 2) {
            if (!need(11))
                return false;
            const int v = in.read(11);
            if (v / 45 >= 45)
                return false;
            s.bytes += kAlphanumericSet[v / 45];
            s.bytes += kAlphanumericSet[v % 45];
        }
        if (left == 1) {
            if (!need(6))
                return false;
            const int v = in.read(6);
            if (v >= 45)
                return false;
            s.bytes += kAlphanumericSet[v];
        }
        return true;
    case 4:
        for (; left > 0; --left) {
            if (!need(8))
                return false;
            s.bytes += static_cast<char>(in.read(8));
        }
        return true;
    case 8:
        for (; left > 0; --left) {
            if (!need(13))
                return false;
            s.bytes += kanjiToShiftJis(in.read(13));
        }
        return true;
    default:
        return false;
    }
}

} // namespace

int countIndicatorBits(int mode, int version)
{
    const int g = version <= 9 ? 0 : version <= 26 ? 1 : 2;
    switch (mode) {
    case 1: return std::array{10, 12, 14}[g];
    case 2: return std::array{9, 11, 13}[g];
    case 4: return std::array{8, 16, 16}[g];
    case 8: return std::array{8, 10, 12}[g];
    default: return 0;
    }
}

ReadStream readSegments(const CQREncoder& encoder)
{
    ReadStream result;
    BitReader in(encoder.dataCodewords(), encoder.dataCodewordCount() * 8);
    while (in.left() >= 4) {
        const int mode = in.read(4);
        if (mode == 0) {
            result.bitsUsed = in.position() - 4;
            result.valid = true;
            return result;
        }
        ReadSegment s;
        s.mode = mode;
        const int width = countIndicatorBits(mode, encoder.version());
        if (width == 0 || in.left() < width)
            return result;
        s.count = in.read(width);
        if (!readBody(in, s))
            return result;
        result.segments.push_back(s);
    }
    // The data ended exactly with the last segment (fewer than 4 bits left
    // means the terminator was shortened).
    result.bitsUsed = in.position();
    result.valid = true;
    return result;
}

std::unique_ptr<CQREncoder> encodeOrNull(int level, int version, bool allowLarger, int mask, const std::string& text)
{
    auto encoder = std::make_unique<CQREncoder>();
    if (!encoder->encode(level, version, allowLarger, mask, text.data(), static_cast<int>(text.size())))
        return nullptr;
    return encoder;
}

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "mvx-barcode-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void writePgm(const QrSymbolBitmap& bitmap, const std::string& path, int scale)
{
    const int side = bitmap.side() * scale;
    std::ofstream out(path, std::ios::binary);
    out << "P5\n" << side << ' ' << side << "\n255\n";
    std::string row(static_cast<size_t>(side), '\0');
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x)
            row[static_cast<size_t>(x)] = bitmap.isBlack(x / scale, y / scale) ? '\0' : '\xFF';
        out << row;
    }
}

std::optional<std::string> zbarRead(const std::string& imagePath)
{
    const std::string command =
        "zbarimg -q --nodbus -Sdisable -Sqrcode.enable -Sbinary '" + imagePath + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), n);
    const int status = pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace mvx::test
