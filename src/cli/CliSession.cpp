#include "cli/CliSession.h"

#include "app/Msg.h"
#include "app/ProgramFolder.h"
#include "engine/CryptoErrors.h"
#include "platform/FileAttributes.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace mvx::cli {

namespace {

std::string withSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

bool namesExistingFile(const std::string& word)
{
    std::error_code ec;
    const auto type = std::filesystem::symlink_status(word, ec).type();
    return type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::none;
}

} // namespace

CliSession::CliSession(CliContext& context)
    : context_(context),
      programFolder_(withSlash(context.homeDir.empty() ? programFolder() : absolutePath(context.homeDir))),
      language_(table_), messenger_(table_, *context.interaction), store_(programFolder_)
{
    ensureProgramFolder(programFolder_);
    reload();
    CryptoErrors::setSink([this](const std::string& text) {
        messenger_.showText(messenger_.text(Msg::CryptApiErrorPrefix) + text, MsgIcon::Stop);
    });
}

CliSession::~CliSession() { CryptoErrors::setSink(nullptr); }

void CliSession::reload()
{
    auto loaded = store_.load();
    settings_ = loaded.settings;
    settingsFound_ = loaded.fileFound;
    if (context_.language == "en")
        language_.applySetting(CLanguage::kEnglish);
    else if (context_.language == "ja")
        language_.applySetting(CLanguage::kJapanese);
    else
        language_.applySetting(settings_.languageSel);
    if (context_.terminal)
        context_.terminal->useTexts(table_);
    keys_ = std::make_unique<CKeyManager>(messenger_);
    if (!settings_.keyPairRoot.empty())
        keys_->findOwnKeySet(settings_.keyPairRoot, settings_.publicKeyName, settings_.privateKeyName);
}

bool CliSession::requireKeySet()
{
    if (!settingsFound_) {
        messenger_.show(Msg::SettingsFileNotFound, MsgIcon::Stop);
        return false;
    }
    if (settings_.keyPairRoot.empty() || !keys_->hasOwnKeySet()) {
        messenger_.show(Msg::FirstTimeCreateKeySet, MsgIcon::Stop);
        return false;
    }
    if (!FileAttributes::isRegularFile(keys_->ownPublicKeyPath())) {
        messenger_.show(Msg::PublicKeyFileNotFound, MsgIcon::Stop);
        return false;
    }
    if (!FileAttributes::isRegularFile(keys_->ownPrivateKeyPath())) {
        messenger_.show(Msg::PrivateKeyFileNotFound, MsgIcon::Stop);
        return false;
    }
    return true;
}

bool CliSession::saveSettings() { return store_.save(settings_); }

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
