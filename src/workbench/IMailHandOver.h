#pragma once

#include <string>
#include <vector>

namespace mvx {

// One mail for the user's mail program to compose.
struct MailDraft {
    std::vector<std::string> to;
    std::vector<std::string> attachments;
    std::string subject;
    std::string body;
};

// The mail hand-over (xdg-email or $MORVANEX_MAILER); the network layer
// provides it, tests record the drafts.
class IMailHandOver {
public:
    virtual ~IMailHandOver() = default;
    // True when the mail program took the mail.
    virtual bool send(const MailDraft& draft) = 0;
};

} // namespace mvx
