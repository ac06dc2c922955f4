#include "app/HandedOverPaths.h"

#include <cctype>
#include <optional>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The URI's scheme ("file", "smb", ...); empty when the line is not a URI.
std::string schemeOf(const std::string& line)
{
    if (line.empty() || !std::isalpha(static_cast<unsigned char>(line.front())))
        return {};
    for (size_t i = 1; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c == ':')
            return line.substr(0, i);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return {};
    }
    return {};
}

bool isThisHost(const std::string& host)
{
    if (host.empty() || strcasecmp(host.c_str(), "localhost") == 0)
        return true;
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 && strcasecmp(host.c_str(), name) == 0;
}

std::optional<std::string> percentDecoded(const std::string& text)
{
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size() || hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0)
            return std::nullopt;
        const char byte = static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
        if (byte == '\0')
            return std::nullopt;
        decoded += byte;
        i += 2;
    }
    return decoded;
}

// "file:///path", "file://localhost/path" or "file:/path"; nullopt for
// another host, another scheme, a bad escape or an escaped zero byte.
std::optional<std::string> localPathOf(const std::string& uri)
{
    const std::string scheme = schemeOf(uri);
    if (strcasecmp(scheme.c_str(), "file") != 0)
        return std::nullopt;
    std::string rest = uri.substr(scheme.size() + 1);
    if (rest.rfind("//", 0) == 0) {
        const size_t pathStart = rest.find('/', 2);
        if (pathStart == std::string::npos || !isThisHost(rest.substr(2, pathStart - 2)))
            return std::nullopt;
        rest.erase(0, pathStart);
    }
    if (rest.empty() || rest.front() != '/')
        return std::nullopt;
    return percentDecoded(rest);
}

bool exists(const std::string& path)
{
    struct stat facts {};
    return ::lstat(path.c_str(), &facts) == 0;
}

// The comma-separated list of one line. Commas separate only where a path
// begins after them (or the line ends): "/d/a,b.txt" is one name, as is
// "/d/a,,b.txt"; "/d/x,,/d/y" are two.
std::vector<std::string> commaPieces(const std::string& line)
{
    std::vector<std::string> pieces(1);
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != ',') {
            pieces.back() += line[i];
            continue;
        }
        const size_t next = line.find_first_not_of(',', i);
        if (next == std::string::npos || line[next] == '/') {
            if (!pieces.back().empty())
                pieces.emplace_back();
            i = (next == std::string::npos ? line.size() : next) - 1;
        } else {
            pieces.back().append(line, i, next - i);
            i = next - 1;
        }
    }
    if (pieces.back().empty())
        pieces.pop_back();
    return pieces;
}

} // namespace

HandedOverPaths HandedOverPaths::read(const std::string& text)
{
    HandedOverPaths read;
    auto take = [&read](const std::optional<std::string>& path, const std::string& given) {
        if (path && !path->empty() && path->front() == '/' && exists(*path))
            read.paths.push_back(*path);
        else
            read.refused.push_back(given);
    };
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')  // a URI list's comment
            continue;
        if (line.front() != '/' && !schemeOf(line).empty()) {
            take(localPathOf(line), line);
            continue;
        }
        for (const std::string& piece : commaPieces(line))
            take(piece, piece);
    }
    return read;
}

std::string HandedOverPaths::refusedList() const
{
    std::string list;
    for (const std::string& entry : refused) {
        if (!list.empty())
            list += '\n';
        for (const char c : entry)
            list += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    }
    return list;
}

} // namespace mvx
