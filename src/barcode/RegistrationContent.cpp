#include "barcode/RegistrationContent.h"

#include "barcode/ShiftJis.h"
#include "platform/FileCreationTime.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"

namespace mvx {
namespace {

constexpr uint32_t kPublicKeyBlobLength = 148;
constexpr uint32_t kRsaPublicMagic = 0x31415352;  // "RSA1"
constexpr uint32_t kModulusBits = 1024;

bool isWhiteSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool isAsciiLetterOrDigit(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

namespace registration {

std::string modulusHex(std::string_view file)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
    if (file.size() != kPublicKeyFileSize || getLe32(bytes) != kPublicKeyBlobLength ||
        getLe32(bytes + 12) != kRsaPublicMagic || getLe32(bytes + 16) != kModulusBits)
        return {};
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * kModulusSize);
    // stored least significant byte first
    for (size_t i = kModulusSize; i-- > 0;) {
        const uint8_t b = bytes[kModulusOffset + i];
        hex += digits[b >> 4];
        hex += digits[b & 0x0F];
    }
    return hex;
}

std::string urlEncode(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (isAsciiLetterOrDigit(c)) {
            out += ch;
        } else if (isWhiteSpace(c)) {
            out += '+';
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 0x0F];
        }
    }
    return out;
}

std::string base64WithLineBreaks(std::string_view bytes)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    constexpr int kLineLength = 76;
    std::string out;
    int column = 0;
    auto put = [&](char c) {
        out += c;
        if (++column == kLineLength) {
            out += "\r\n";
            column = 0;
        }
    };
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (left > 1)
            group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (left > 2)
            group |= static_cast<unsigned char>(bytes[i + 2]);
        put(alphabet[group >> 18 & 0x3F]);
        put(alphabet[group >> 12 & 0x3F]);
        put(left > 1 ? alphabet[group >> 6 & 0x3F] : '=');
        put(left > 2 ? alphabet[group & 0x3F] : '=');
    }
    return out;
}

std::string keyTimeText(int64_t keyTime)
{
    // The low 32 bits, as a signed 32-bit number.
    const auto low = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(keyTime)));
    return std::to_string(low);
}

} // namespace registration

Registration buildRegistration(const RegistrationInputs& inputs)
{
    Registration r;
    const std::string key = registration::modulusHex(inputs.publicKeyFile);
    if (key.empty()) {
        r.status = RegistrationStatus::KeyFileDamaged;
        return r;
    }
    const auto name = utf8ToShiftJis(inputs.userName);
    const auto mail = utf8ToShiftJis(inputs.mail);
    const auto sentence = utf8ToShiftJis(inputs.leadSentence);
    if (!name || !mail || !sentence) {
        r.status = RegistrationStatus::NotShiftJis;
        return r;
    }
    std::string base(inputs.baseUrl);
    if (base.empty() || base.back() != '/')
        base += '/';
    r.address = base + "m/?pk=" + key + "&ma=" + registration::urlEncode(*mail) +
                "&nm=" + registration::base64WithLineBreaks(*name) +
                "&gt=" + registration::keyTimeText(inputs.keyTime) + "&op=1&pt=0";
    r.content = *sentence + r.address;
    return r;
}

Registration buildRegistrationFromFile(const std::string& publicKeyPath, RegistrationInputs inputs)
{
    const auto bytes = readWholeFile(publicKeyPath);
    if (!bytes) {
        Registration r;
        r.status = RegistrationStatus::KeyFileMissing;
        return r;
    }
    const std::string file(bytes->begin(), bytes->end());
    inputs.publicKeyFile = file;
    inputs.keyTime = fileCreationTime(publicKeyPath).value_or(0);
    return buildRegistration(inputs);
}

} // namespace mvx
