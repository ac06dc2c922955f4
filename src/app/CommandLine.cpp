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

} // namespace mvx
