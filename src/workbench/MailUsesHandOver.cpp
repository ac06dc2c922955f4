#include "workbench/MailUsesHandOver.h"

#include "net/MailUses.h"

namespace mvx {

bool MailUsesHandOver::send(const MailDraft& draft)
{
    return net::CMailUses::Send({draft.to, draft.attachments, draft.subject, draft.body}) == 1;
}

} // namespace mvx
