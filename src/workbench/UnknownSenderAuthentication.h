#pragma once

#include "keys/DestinationListEditor.h"
#include "platform/AppLauncher.h"
#include "workbench/CreatorAuthentication.h"
#include "workbench/IUnknownSenderHandler.h"

namespace mvx {

class CKeyManager;
class CMessenger;

// The batches' step after a container from an unknown sender: the creator
// authentication over the own key set, the desktop's program launcher and the
// destination list.
class UnknownSenderAuthentication : public IUnknownSenderHandler {
public:
    UnknownSenderAuthentication(CMessenger& messenger, CKeyManager& keys);

    void onUnknownSender(const Decrypted& decrypted) override;
    void setOpensFile(bool opens) { creator_.setOpensFile(opens); }

private:
    DesktopLauncher launcher_;
    DestinationListEditor list_;
    CreatorAuthentication creator_;
};

} // namespace mvx
