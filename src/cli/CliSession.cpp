#include "cli/CliSession.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace mvx::cli {

CliSession::CliSession(CliContext& context)
    : context_(context),
      app_(*context.interaction, context.homeDir.empty() ? std::string() : absolutePath(context.homeDir),
           context.language)
{
    useTableTexts();
}

void CliSession::useTableTexts()
{
    if (context_.terminal)
        context_.terminal->useTexts(app_.table());
}

bool ParsedArgs::has(const std::string& name) const
{
    return std::any_of(options.begin(), options.end(), [&](const auto& o) { return o.first == name; });
}

std::string ParsedArgs::value(const std::string& name) const
{
    for (auto it = options.rbegin(); it != options.rend(); ++it)
        if (it->first == name)
            return it->second;
    return {};
}

std::vector<std::string> ParsedArgs::values(const std::string& name) const
{
    std::vector<std::string> result;
    for (const auto& o : options)
        if (o.first == name)
            result.push_back(o.second);
    return result;
}

bool parseArgs(const CommandArgs& args, const std::vector<std::string>& valueOptions,
               const std::vector<std::string>& flagOptions, ParsedArgs& parsed, std::ostream& err)
{
    auto contains = [](const std::vector<std::string>& list, const std::string& s) {
        return std::find(list.begin(), list.end(), s) != list.end();
    };
    // An option that takes values keeps taking words until the next option,
    // so "--to A B" and "--to A --to B" both work.
    std::string collecting;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) == 0 && a.size() > 2) {
            collecting.clear();
            if (contains(flagOptions, a)) {
                parsed.options.emplace_back(a, "");
            } else if (contains(valueOptions, a)) {
                if (i + 1 >= args.size()) {
                    err << "morvanex-cli: " << a << " needs a value\n";
                    return false;
                }
                parsed.options.emplace_back(a, args[++i]);
                collecting = a;
            } else {
                err << "morvanex-cli: unknown option " << a << '\n';
                return false;
            }
        } else if (!collecting.empty() && (collecting == "--to")) {
            parsed.options.emplace_back(collecting, a);
        } else {
            parsed.positional.push_back(a);
        }
    }
    return true;
}

std::string absolutePath(const std::string& path)
{
    std::error_code ec;
    auto p = std::filesystem::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

} // namespace mvx::cli
