#include "net/HttpEncoder.h"

#include "net/HttpClientException.h"

namespace mvx::net {

namespace {

bool isUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Length of the UTF-8 sequence a lead byte starts, 0 for a byte that cannot lead.
int sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

bool validSequence(std::string_view text, size_t pos, int length)
{
    if (pos + static_cast<size_t>(length) > text.size())
        return false;
    const auto byteAt = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    for (int i = 1; i < length; ++i)
        if ((byteAt(static_cast<size_t>(i)) & 0xC0) != 0x80)
            return false;
    const unsigned char lead = byteAt(0);
    const unsigned char second = length > 1 ? byteAt(1) : 0;
    if (lead == 0xE0 && second < 0xA0)
        return false; // overlong
    if (lead == 0xED && second > 0x9F)
        return false; // surrogate
    if (lead == 0xF0 && second < 0x90)
        return false; // overlong
    if (lead == 0xF4 && second > 0x8F)
        return false; // beyond U+10FFFF
    return true;
}

} // namespace

std::string CHttpEncoderA::UrlEncodeA(std::string_view text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (isUnreserved(c)) {
            out += ch;
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

bool CHttpEncoderA::IsValidUtf8(std::string_view text)
{
    size_t pos = 0;
    while (pos < text.size()) {
        const int length = sequenceLength(static_cast<unsigned char>(text[pos]));
        if (length == 0 || !validSequence(text, pos, length))
            return false;
        pos += static_cast<size_t>(length);
    }
    return true;
}

std::string CHttpEncoderA::Utf8Encode(std::string_view text)
{
    if (!IsValidUtf8(text))
        throw httpclientexceptionA::numbered(httpclientexceptionA::errUtf8, "the text is not valid UTF-8");
    return std::string(text);
}

} // namespace mvx::net
