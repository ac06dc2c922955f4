#pragma once

#include "workbench/IMailHandOver.h"

namespace mvx {

// The mail hand-over of the network layer (xdg-email, or $MORVANEX_MAILER).
class MailUsesHandOver : public IMailHandOver {
public:
    bool send(const MailDraft& draft) override;
};

} // namespace mvx
