#pragma once

#include "app/CMessenger.h"
#include "keys/CKeyManager.h"

#include <set>
#include <string>
#include <vector>

namespace mvx {

// Key files that lie in the key-folder tree but are listed in no member file.
// A stray key is one that would register: a plain public key (not the own
// one) or an authenticated key readable with the own private key, that passes
// the key file check and is not hidden. Authenticated keys made for partners
// (which only the partner can read) are therefore never offered.
class StrayKeys {
public:
    struct Stray {
        std::string folder;  // with trailing "/"
        std::string fileName;
        std::string displayName;
        std::string mail;
    };

    StrayKeys(CMessenger& messenger, CKeyManager& keys) : messenger_(messenger), keys_(keys) {}

    std::vector<Stray> find();
    // Asks once for all strays not declined before; Yes registers each in its
    // own folder and reports it. No leaves the files and their folders as they
    // are, and this object does not offer the same files again. Returns the
    // number registered.
    size_t offer();

private:
    Stray describe(const std::string& folder, const std::string& fileName);
    bool isStray(const std::string& folder, const std::string& fileName, const std::vector<CKeyManager::UserData>& listed);

    CMessenger& messenger_;
    CKeyManager& keys_;
    std::set<std::string> declined_;
};

} // namespace mvx
