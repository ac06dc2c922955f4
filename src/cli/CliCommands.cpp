#include "cli/CliContext.h"

namespace mvx::cli {

const std::vector<CliCommand>& cliCommands()
{
    static const std::vector<CliCommand> commands = {
    };
    return commands;
}

} // namespace mvx::cli
