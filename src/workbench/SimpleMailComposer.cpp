#include "workbench/SimpleMailComposer.h"

#include "net/SimpleMail.h"

namespace mvx {

bool SimpleMailComposer::compose(const MailMessage& mail)
{
    net::CSimpleMail simple;
    for (const auto& address : mail.recipients)
        simple.AddRecipient(address, net::CSimpleMail::To);
    for (const auto& path : mail.attachments)
        simple.AddAttachment(path);
    return simple.Send(mail.subject, mail.body) == 1;
}

} // namespace mvx
