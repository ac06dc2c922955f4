#include "cli/CliSession.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace mvx::cli {

namespace {

bool namesExistingFile(const std::string& word)
{
    std::error_code ec;
    const auto type = std::filesystem::symlink_status(word, ec).type();
    return type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::none;
}

} // namespace

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

bool refuseAmbiguousOption(const std::string& word, std::ostream& err)
{
    // "encrypt --self *" in a folder holding a file named "--delete" must not
    // destroy the plain files: a word that is both is taken as neither.
    if (!namesExistingFile(word))
        return false;
    err << "morvanex-cli: " << word << " is an option and also a file here; put the files after --\n";
    return true;
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
        if (a == "--") {
            parsed.positional.insert(parsed.positional.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            return true;
        }
        if (a.rfind("--", 0) == 0 && a.size() > 2) {
            collecting.clear();
            const bool flag = contains(flagOptions, a);
            if (!flag && !contains(valueOptions, a)) {
                err << "morvanex-cli: unknown option " << a << " (files that begin with - go after --)\n";
                return false;
            }
            if (refuseAmbiguousOption(a, err))
                return false;
            if (flag) {
                parsed.options.emplace_back(a, "");
                continue;
            }
            if (i + 1 >= args.size()) {
                err << "morvanex-cli: " << a << " needs a value\n";
                return false;
            }
            parsed.options.emplace_back(a, args[++i]);
            collecting = a;
        } else if (collecting == "--to") {
            parsed.options.emplace_back(collecting, a);
        } else {
            parsed.positional.push_back(a);
        }
    }
    return true;
}

std::string resultField(const std::string& text)
{
    std::string field;
    field.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': field += "\\\\"; break;
        case '\n': field += "\\n"; break;
        case '\t': field += "\\t"; break;
        case '\r': field += "\\r"; break;
        default:
            if (byte < 0x20 || byte == 0x7f) {
                static const char kHex[] = "0123456789abcdef";
                field += "\\x";
                field += kHex[byte >> 4];
                field += kHex[byte & 15];
            } else {
                field += c;
            }
        }
    }
    return field;
}

std::string absolutePath(const std::string& path)
{
    std::error_code ec;
    auto p = std::filesystem::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

} // namespace mvx::cli
