#pragma once

#include "keys/CKeyManager.h"

#include <functional>
#include <optional>
#include <string>

namespace mvx {

// Edits one record of a folder's member files by its key file name, without
// disturbing the folder the key manager has open.
class MemberRecords {
public:
    // The member file that lists keys of this name's kind in folder.
    static std::string memberFileFor(const std::string& folder, const std::string& fileName);
    static std::optional<CKeyManager::UserData> find(const std::string& folder, const std::string& fileName);
    // Applies change to the record and saves the member file; false when the
    // record is missing or the file cannot be written.
    static bool update(const std::string& folder, const std::string& fileName,
                       const std::function<void(CKeyManager::UserData&)>& change);
    // Takes expiry, issuer mark, sender tag and registration time from the key
    // file again. False when an authenticated key cannot be read.
    static bool refreshFromKeyFile(CKeyManager& keys, const std::string& keyFilePath, CKeyManager::UserData& record);
};

} // namespace mvx
