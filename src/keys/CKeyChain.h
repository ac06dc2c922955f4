#pragma once

#include "app/CMessenger.h"
#include "keys/CAuthManager.h"

#include <optional>
#include <string>
#include <vector>

namespace mvx {

// The key-selection dialog of the authentication command, without widgets:
// the public keys of a folder with their "Auth-Log" column, and what OK takes.
class CKeyChain {
public:
    struct Row {
        std::string path;     // the key file
        std::string shown;    // its name, or "Public key for Oneself" for the own key
        std::string authLog;  // "Exist" when the history holds its fingerprint, else "Not Exist"
    };

    CKeyChain(CMessenger& messenger, std::string ownPublicKeyPath)
        : messenger_(messenger), ownPublicKeyPath_(std::move(ownPublicKeyPath))
    {
    }

    // Every "*.kpub" of the folder that is not hidden, not a folder and not an
    // authenticated key, sorted by name.
    std::vector<Row> rows(const std::string& folder, const CAuthManager& history) const;
    // OK with the rows selected (indexes into the last rows()): nothing
    // selected is refused; with several the first is taken after a notice.
    std::optional<std::string> takeSelection(const std::vector<Row>& rows, const std::vector<size_t>& selected);

private:
    CMessenger& messenger_;
    std::string ownPublicKeyPath_;
};

} // namespace mvx
