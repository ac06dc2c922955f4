#pragma once

#include "workbench/IMailHandOver.h"

namespace mvx {

class CMessenger;

// The mail hand-over of the network layer (xdg-email, or $MORVANEX_MAILER).
// With a messenger, a mail program that cannot take the mail is reported
// with the folders of the files to attach, so the user can send them by hand.
class MailUsesHandOver : public IMailHandOver {
public:
    explicit MailUsesHandOver(CMessenger* messenger = nullptr) : messenger_(messenger) {}

    bool send(const MailDraft& draft) override;

private:
    CMessenger* messenger_;
};

} // namespace mvx
