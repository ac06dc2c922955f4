#pragma once

#include "cli/TerminalInteraction.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace mvx::cli {

class TerminalLine;

enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// What the global options chose, handed to every command.
struct CliContext {
    std::string homeDir;    // program folder; empty means the default
    std::string language;   // "ja", "en" or empty for the setting
    AnswerPolicy policy = AnswerPolicy::Ask;
    IInteraction* interaction = nullptr;
    TerminalInteraction* terminal = nullptr;  // the same object, when questions go to a terminal
    std::ostream* out = nullptr;  // results
    std::ostream* err = nullptr;  // messages and usage
    TerminalLine* progressLine = nullptr;  // standard error when it is a terminal
};

using CommandArgs = std::vector<std::string>;

struct CliCommand {
    const char* name;
    const char* summary;
    const char* usage;   // printed by "COMMAND --help"
    int (*run)(CliContext&, const CommandArgs&);
};

// The table of commands, in the order --help lists them.
const std::vector<CliCommand>& cliCommands();

} // namespace mvx::cli
