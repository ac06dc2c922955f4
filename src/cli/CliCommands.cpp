#include "cli/CliContext.h"
#include "cli/QrCommand.h"

namespace mvx::cli {

const std::vector<CliCommand>& cliCommands()
{
    static const std::vector<CliCommand> commands = {
        {"qr", kQrSummary, kQrUsage, runQrCommand},
    };
    return commands;
}

} // namespace mvx::cli
