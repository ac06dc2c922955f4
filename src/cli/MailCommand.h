#pragma once

#include "workbench/IMailHandOver.h"

#include <string>
#include <vector>

namespace mvx::cli {

// Hands a mail to the desktop's compose window through xdg-email, or the
// command named by $MORVANEX_MAILER, with xdg-email's arguments.
class MailCommand : public IMailHandOver {
public:
    bool send(const MailDraft& draft) override;
    static std::vector<std::string> commandLine(const MailDraft& draft);
};

} // namespace mvx::cli
