#pragma once

#include "workbench/IMailComposer.h"

namespace mvx {

// Hands the batches' mails to the user's mail program (the network layer's
// mail hand-over).
class SimpleMailComposer : public IMailComposer {
public:
    bool compose(const MailMessage& mail) override;
};

} // namespace mvx
