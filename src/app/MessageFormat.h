#pragma once

#include <array>
#include <concepts>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace mvx {

// One argument of a message: a number or a text.
using FormatArg = std::variant<long long, std::string>;

template <std::integral T>
FormatArg toFormatArg(T value)
{
    return static_cast<long long>(value);
}
inline FormatArg toFormatArg(std::string_view value) { return std::string(value); }
inline FormatArg toFormatArg(const std::string& value) { return value; }
inline FormatArg toFormatArg(const char* value) { return std::string(value ? value : ""); }

// printf-style formatting of a message-table text. Each conversion takes the
// next argument and renders it by its own type, so a table text can never
// read memory it was not given: a missing argument counts as 0 or "", extra
// arguments are ignored (English texts often drop the path the Japanese
// text shows), and an unknown conversion is copied as it stands.
std::string formatMessage(std::string_view format, std::span<const FormatArg> args);

template <typename... Args>
std::string formatMessage(std::string_view format, const Args&... args)
{
    const std::array<FormatArg, sizeof...(Args)> packed{toFormatArg(args)...};
    return formatMessage(format, std::span<const FormatArg>(packed));
}

} // namespace mvx
