#include "app/MessageFormat.h"

#include <cctype>
#include <cstdio>
#include <vector>

namespace mvx {

namespace {

struct Conversion {
    std::string flagsWidthPrecision;  // everything between '%' and the length modifier
    char type = 0;
    size_t length = 0;  // characters consumed after '%'
};

// Parses one conversion after a '%'; type stays 0 when it is not one we render.
Conversion parseConversion(std::string_view rest)
{
    Conversion c;
    size_t i = 0;
    while (i < rest.size() && std::string_view("-+ #0").find(rest[i]) != std::string_view::npos)
        ++i;
    while (i < rest.size() && std::isdigit(static_cast<unsigned char>(rest[i])))
        ++i;
    if (i < rest.size() && rest[i] == '.') {
        ++i;
        while (i < rest.size() && std::isdigit(static_cast<unsigned char>(rest[i])))
            ++i;
    }
    c.flagsWidthPrecision = std::string(rest.substr(0, i));
    while (i < rest.size() && std::string_view("hlLqjzt").find(rest[i]) != std::string_view::npos)
        ++i;
    if (i < rest.size() && std::string_view("diuxXocs").find(rest[i]) != std::string_view::npos) {
        c.type = rest[i];
        c.length = i + 1;
    }
    return c;
}

std::string renderWith(const std::string& conversion, auto value)
{
    const int needed = std::snprintf(nullptr, 0, conversion.c_str(), value);
    if (needed <= 0)
        return {};
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::snprintf(buffer.data(), buffer.size(), conversion.c_str(), value);
    return std::string(buffer.data(), static_cast<size_t>(needed));
}

long long asNumber(const FormatArg* arg)
{
    if (!arg)
        return 0;
    if (const auto* n = std::get_if<long long>(arg))
        return *n;
    return 0;
}

std::string asText(const FormatArg* arg)
{
    if (!arg)
        return {};
    if (const auto* n = std::get_if<long long>(arg))
        return std::to_string(*n);
    return std::get<std::string>(*arg);
}

std::string render(const Conversion& c, const FormatArg* arg)
{
    const std::string prefix = "%" + c.flagsWidthPrecision;
    switch (c.type) {
    case 's':
        return renderWith(prefix + "s", asText(arg).c_str());
    case 'c':
        return renderWith(prefix + "c", static_cast<int>(asNumber(arg)));
    case 'd':
    case 'i':
        return renderWith(prefix + "lld", asNumber(arg));
    default:
        return renderWith(prefix + "ll" + c.type, static_cast<unsigned long long>(asNumber(arg)));
    }
}

} // namespace

std::string formatMessage(std::string_view format, std::span<const FormatArg> args)
{
    std::string out;
    size_t nextArg = 0;
    size_t i = 0;
    while (i < format.size()) {
        const char ch = format[i];
        if (ch != '%' || i + 1 >= format.size()) {
            out += ch;
            ++i;
            continue;
        }
        if (format[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        const Conversion c = parseConversion(format.substr(i + 1));
        if (c.type == 0) {
            out += ch;
            ++i;
            continue;
        }
        const FormatArg* arg = nextArg < args.size() ? &args[nextArg] : nullptr;
        ++nextArg;
        out += render(c, arg);
        i += 1 + c.length;
    }
    return out;
}

} // namespace mvx
