#include "workbench/SimpleMailComposer.h"

#include "workbench/MailUsesHandOver.h"

namespace mvx {

bool SimpleMailComposer::compose(const MailMessage& mail)
{
    return MailUsesHandOver(messenger_).send({mail.recipients, mail.attachments, mail.subject, mail.body});
}

} // namespace mvx
