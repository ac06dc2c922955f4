#pragma once

#include "app/CMessenger.h"

#include <string>

namespace mvx {

// The rules for the name N of a key set (files N.kpub, NPrivate.kpri, folder
// KeyList_N): 1 to 60 half-size characters and none of \ / : * ? " < > |.
// The wizard also refuses a full stop, a leading blank and a name in use.
class KeySetNameRules {
public:
    static constexpr size_t kMaxHalfSizeLength = 60;
    static constexpr const char* kForbidden = "\\/:*?\"<>|";

    // The generator's results.
    static constexpr int kNameOk = 1;
    static constexpr int kNameTooLong = 0;
    static constexpr int kNameForbiddenCharacter = -1;

    // The generator's own check, without messages.
    static int check(const std::string& name);
    static bool hasForbiddenCharacter(const std::string& name, bool refuseFullStop);

    // The wizard's Next on the name page: every rule in order, with its
    // message. True when the name may be used in the key root.
    static bool checkForWizard(const std::string& name, const std::string& keyRoot, CMessenger& messenger);
};

} // namespace mvx
