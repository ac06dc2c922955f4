#include "platform/TextFields.h"

#include <algorithm>
#include <cstring>

namespace mvx {

namespace {

bool isContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes one UTF-8 character at text[at]; returns its length (1 for a stray byte).
size_t decodeOne(const std::string& text, size_t at, uint32_t& codePoint)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x06 ? 2 : (lead >> 4) == 0x0E ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
    if (at + length > text.size())
        length = 1;
    codePoint = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (size_t i = 1; i < length; ++i)
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    return length;
}

} // namespace

std::string TextFields::truncate(const std::string& text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    size_t cut = maxBytes;
    while (cut > 0 && isContinuationByte(static_cast<unsigned char>(text[cut])))
        --cut;
    return text.substr(0, cut);
}

void TextFields::put(uint8_t* field, size_t fieldSize, const std::string& text)
{
    const std::string fitted = truncate(text, fieldSize);
    std::memset(field, 0, fieldSize);
    std::memcpy(field, fitted.data(), fitted.size());
}

std::string TextFields::get(const uint8_t* field, size_t fieldSize)
{
    const auto* end = std::find(field, field + fieldSize, uint8_t{0});
    return std::string(reinterpret_cast<const char*>(field), static_cast<size_t>(end - field));
}

size_t TextFields::halfSizeLength(const std::string& text)
{
    size_t width = 0;
    for (size_t at = 0; at < text.size();) {
        uint32_t codePoint = 0;
        at += decodeOne(text, at, codePoint);
        const bool singleByte = codePoint < 0x80 || (codePoint >= 0xFF61 && codePoint <= 0xFF9F);
        width += singleByte ? 1 : 2;
    }
    return width;
}

} // namespace mvx
