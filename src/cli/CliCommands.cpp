#include "cli/CliContext.h"
#include "cli/ServiceCommand.h"

namespace mvx::cli {

const std::vector<CliCommand>& cliCommands()
{
    static const std::vector<CliCommand> commands = {
        {"service", "web service requests: connect, login, register, status, getkey, serverkey, upload, easysend, "
                    "transfer",
         kServiceUsage, runServiceCommand},
    };
    return commands;
}

} // namespace mvx::cli
