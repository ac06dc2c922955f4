#pragma once

#include <string>
#include <string_view>

namespace mvx::net {

// Text encoders of the HTTP client. The program's code page is UTF-8, so
// Utf8Encode only has to check that the text really is UTF-8.
class CHttpEncoderA {
public:
    // Letters and digits stay, a space becomes '+', every other byte "%XX" (upper case).
    static std::string UrlEncodeA(std::string_view text);
    // The text as UTF-8; raises code 600 when it is not valid UTF-8.
    static std::string Utf8Encode(std::string_view text);
    static bool IsValidUtf8(std::string_view text);
};

} // namespace mvx::net
