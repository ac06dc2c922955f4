#pragma once

#include "workbench/IMailComposer.h"

namespace mvx {

class CMessenger;

// Hands the batches' mails to the user's mail program (the network layer's
// mail hand-over); a mail program that fails is reported through the messenger.
class SimpleMailComposer : public IMailComposer {
public:
    explicit SimpleMailComposer(CMessenger* messenger = nullptr) : messenger_(messenger) {}

    bool compose(const MailMessage& mail) override;

private:
    CMessenger* messenger_;
};

} // namespace mvx
