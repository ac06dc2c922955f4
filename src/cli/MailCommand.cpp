#include "cli/MailCommand.h"

#include "platform/AppLauncher.h"

#include <cstdlib>

namespace mvx::cli {

std::vector<std::string> MailCommand::commandLine(const MailDraft& draft)
{
    const char* mailer = std::getenv("MORVANEX_MAILER");
    std::vector<std::string> command = {mailer && *mailer ? mailer : "xdg-email", "--utf8", "--subject",
                                        draft.subject, "--body", draft.body};
    for (const auto& path : draft.attachments) {
        command.push_back("--attach");
        command.push_back(path);
    }
    // An address never reads as an option of the mail command.
    for (const auto& address : draft.to)
        if (!address.empty() && address.front() != '-')
            command.push_back(address);
    return command;
}

bool MailCommand::send(const MailDraft& draft) { return DesktopLauncher::outputOf(commandLine(draft)).has_value(); }

} // namespace mvx::cli
