#pragma once

#include <string>
#include <vector>

namespace mvx {

// One mail handed to the user's mail program.
struct MailMessage {
    std::string subject;
    std::string body;
    std::vector<std::string> recipients;
    std::vector<std::string> attachments;
};

// Mail hand-over; the network layer implements it.
class IMailComposer {
public:
    virtual ~IMailComposer() = default;
    // True when the mail program took the mail.
    virtual bool compose(const MailMessage& mail) = 0;
};

} // namespace mvx
