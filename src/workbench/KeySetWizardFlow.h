#pragma once

#include "keys/KeySetSetup.h"

#include <optional>
#include <string>

namespace mvx {

class AppSession;

// What the key-set wizard's pages decide: the key root (asked for when
// none is set yet), the name page's Next, the summary, and Finish with its
// confirmation that no backup is made.
class KeySetWizardFlow {
public:
    explicit KeySetWizardFlow(AppSession& session) : session_(session) {}

    // The key root in use, or the folder the user picks when the settings
    // name none yet, offered with the proposed folder and made once the
    // user confirmed it; nothing when the user cancels.
    std::optional<std::string> chooseKeyRoot();
    // The key folder a first start proposes: "Morvanex Keys" in the user's
    // documents folder (the desktop's documents folder of user-dirs.dirs,
    // else ~/Documents where it exists), else "morvanex/keys" in the data
    // folder ($XDG_DATA_HOME, else ~/.local/share). Ends with "/".
    static std::string proposedKeyRoot();
    const std::string& keyRoot() const { return keyRoot_; }

    // The name page's Next: every name rule, each with its message.
    bool acceptName(const std::string& name);
    // The summary page: the three files the set will consist of.
    std::string summary(const std::string& name) const;
    // Finish: the no-backup confirmation, then the key set, its settings,
    // key folder and self-authentication key. True when the set was made.
    bool finish(const std::string& name, const std::string& userName, const std::string& mail,
                bool useBackupService);

private:
    AppSession& session_;
    std::string keyRoot_;
};

} // namespace mvx
