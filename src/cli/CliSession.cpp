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
