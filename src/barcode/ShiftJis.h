#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mvx {

// UTF-8 to Shift-JIS (code page 932) through iconv. Empty when the text holds
// a character that code page 932 cannot carry or is not valid UTF-8.
std::optional<std::string> utf8ToShiftJis(std::string_view utf8);

} // namespace mvx
