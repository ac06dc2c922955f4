#pragma once

#include "engine/ISenderDirectory.h"
#include "keys/CKeyManager.h"

#include <string>

namespace mvx {

// Names the sender of a container from the authenticated entries of the
// key-folder tree. An entry names the sender when it carries the container's
// sender tag and its key file, read with the own private key, holds the
// sender's identity hash. Statuses:
//   kUnknown (-1)   no entry names the sender;
//   kCurrent (0)    the entry agrees with its key file; its last use is set;
//   kRenew (2)      the key file carries an expiry or issuer mark the entry
//                   does not show (the file was replaced); renew() takes them
//                   over and sets the last use.
class KeyFolderSenderDirectory : public ISenderDirectory {
public:
    static constexpr int kCurrent = 0;

    explicit KeyFolderSenderDirectory(CKeyManager& keys) : keys_(keys) {}

    Identification identify(uint32_t senderTag, const uint8_t* senderIdentityHash) override;
    int checkBeforeRenewal(const Identification& sender) override;
    void renew(const Identification& sender) override;

    // Where the last identified entry lies.
    const std::string& entryFolder() const { return folder_; }
    const std::string& entryFileName() const { return fileName_; }

private:
    CKeyManager& keys_;
    std::string folder_;
    std::string fileName_;
};

} // namespace mvx
