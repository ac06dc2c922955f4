#pragma once

#include "app/CMessageTable.h"
#include "app/IInteraction.h"

#include <string>

namespace mvx {

// The notice of a batch with the check box "This message is not displayed as
// follows.": once the user ticks it, the same object shows nothing more.
// One object lives for one batch.
class CNotEncryptReadOnlyFile {
public:
    explicit CNotEncryptReadOnlyFile(const CMessageTable& table) : table_(table) {}

    // Shows the notice unless it was ticked away; true when it was shown.
    bool show(IInteraction& ui, const std::string& text);

    bool silenced() const { return silenced_; }
    void silence() { silenced_ = true; }

private:
    const CMessageTable& table_;
    bool silenced_ = false;
};

} // namespace mvx
