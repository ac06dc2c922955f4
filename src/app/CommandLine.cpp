#include "app/CommandLine.h"

#include <map>

namespace mvx {

namespace {

const std::map<std::string, CommandLine::Switch>& switches()
{
    using S = CommandLine::Switch;
    static const std::map<std::string, S> table = {
        {"-E", S::Encrypt}, {"-D", S::Decrypt}, {"-T", S::Forward},     {"-H", S::History},
        {"-K", S::Delete},  {"-R", S::Repair},  {"/Install", S::Install}, {"/Uninstall", S::Uninstall},
    };
    return table;
}

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

std::string pathOfFileUri(const std::string& uri)
{
    std::string path;
    const size_t start = uri.find('/', 7);  // after "file://" and an optional host name
    for (size_t i = start == std::string::npos ? uri.size() : start; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && hexValue(uri[i + 1]) >= 0 && hexValue(uri[i + 2]) >= 0) {
            path += static_cast<char>(hexValue(uri[i + 1]) * 16 + hexValue(uri[i + 2]));
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return path;
}

} // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments)
{
    CommandLine line;
    line.argumentCount = arguments.size();
    if (arguments.empty())
        return line;
    const auto known = switches().find(arguments.front());
    if (known == switches().end()) {
        if (arguments.size() == 1) {
            line.kind = Switch::Path;
            line.paths = arguments;
        }
        return line;
    }
    line.kind = known->second;
    if (line.takesFiles())
        line.paths.assign(arguments.begin() + 1, arguments.end());
    return line;
}

bool CommandLine::isShellRequest() const
{
    return takesFiles() || argumentCount == 1;
}

bool CommandLine::takesFiles() const
{
    switch (kind) {
    case Switch::Encrypt:
    case Switch::Decrypt:
    case Switch::Forward:
    case Switch::History:
    case Switch::Delete: return true;
    default: return false;
    }
}

std::vector<std::string> splitPathList(const std::string& text)
{
    std::vector<std::string> paths;
    std::string piece;
    auto take = [&] {
        if (!piece.empty() && piece.back() == '\r')
            piece.pop_back();
        if (piece.rfind("file://", 0) == 0)
            piece = pathOfFileUri(piece);
        if (!piece.empty())
            paths.push_back(piece);
        piece.clear();
    };
    for (char c : text) {
        if (c == ',' || c == '\n')
            take();
        else
            piece += c;
    }
    take();
    return paths;
}

} // namespace mvx
