#pragma once

#include "keys/StrayKeys.h"
#include "workbench/IKeyDropHandler.h"

class QObject;

namespace mvx {
class DestinationListEditor;
}

namespace mvx::ui {

// Public keys dropped on the mini window are registered in the destination
// list, on the window's thread (the drop is handled by the batch's worker).
class KeyDropRegistration : public IKeyDropHandler {
public:
    KeyDropRegistration(QObject* window, CKeyManager& keys, mvx::DestinationListEditor& list, StrayKeys& strays);

    void registerPublicKeys(const std::vector<std::string>& keyFiles) override;
    // Key fragments belong to the key backup service, which this program does not include.
    void repairFromFragments(const std::vector<std::string>&) override {}

private:
    QObject* window_;
    CKeyManager& keys_;
    mvx::DestinationListEditor& list_;
    StrayKeys& strays_;
};

} // namespace mvx::ui
