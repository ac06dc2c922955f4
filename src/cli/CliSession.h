#pragma once

#include "cli/CliContext.h"
#include "workbench/AppSession.h"

#include <string>

namespace mvx::cli {

// Everything a command works with: the application session (program folder,
// settings, message table, messenger over the terminal, key manager) and the
// command line's own context.
class CliSession {
public:
    explicit CliSession(CliContext& context);

    CliContext& context() { return context_; }
    AppSession& app() { return app_; }
    CMessenger& messenger() { return app_.messenger(); }
    CSettingsStore& store() { return app_.store(); }
    Settings& settings() { return app_.settings(); }
    bool settingsFound() const { return app_.settingsFound(); }
    CKeyManager& keys() { return app_.keys(); }
    std::ostream& out() { return *context_.out; }

    bool requireKeySet() { return app_.requireKeySet(); }
    bool saveSettings() { return app_.saveSettings(); }

private:
    void useTableTexts();

    CliContext& context_;
    AppSession app_;
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
