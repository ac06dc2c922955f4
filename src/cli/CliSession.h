#pragma once

#include "app/CLanguage.h"
#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "app/CSettingsStore.h"
#include "app/Settings.h"
#include "cli/CliContext.h"
#include "keys/CKeyManager.h"

#include <memory>
#include <string>

namespace mvx::cli {

// Everything a command works with: the program folder and its settings, the
// message table in the chosen language, the messenger over the terminal and
// the key manager on the own key set.
class CliSession {
public:
    explicit CliSession(CliContext& context);
    ~CliSession();

    CliContext& context() { return context_; }
    CMessenger& messenger() { return messenger_; }
    CSettingsStore& store() { return store_; }
    Settings& settings() { return settings_; }
    bool settingsFound() const { return settingsFound_; }
    CKeyManager& keys() { return *keys_; }
    std::ostream& out() { return *context_.out; }

    // The own key set exists (settings, public and private key files); shows
    // the start-up messages of a missing set otherwise.
    bool requireKeySet();
    bool saveSettings();
    // Reads the settings and the own key set again (after init changed them).
    void reload();

private:
    CliContext& context_;
    std::string programFolder_;
    CMessageTable table_;
    CLanguage language_;
    CMessenger messenger_;
    CSettingsStore store_;
    Settings settings_;
    bool settingsFound_ = false;
    std::unique_ptr<CKeyManager> keys_;
};

// Small helpers shared by the commands.
struct ParsedArgs {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;  // "--name", value ("" for flags)
    bool has(const std::string& name) const;
    std::string value(const std::string& name) const;
    std::vector<std::string> values(const std::string& name) const;
};

// Splits args into positionals and options; valueOptions take the next word,
// and "--" makes every later word a positional. Returns false (after printing
// to err) on an unknown option, a missing value or an option word that also
// names an existing file.
bool parseArgs(const CommandArgs& args, const std::vector<std::string>& valueOptions,
               const std::vector<std::string>& flagOptions, ParsedArgs& parsed, std::ostream& err);

bool refuseAmbiguousOption(const std::string& word, std::ostream& err);

std::string absolutePath(const std::string& path);

// A field of a result line: backslash and control characters written as C
// escapes (\\, \n, \t, \r, \xHH), so a name holding a line break or a
// tab cannot split or add a line.
std::string resultField(const std::string& text);

} // namespace mvx::cli
