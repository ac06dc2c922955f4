#pragma once

#include "engine/ISenderDirectory.h"
#include "keys/CKeyManager.h"

#include "platform/FileStamp.h"

#include <map>
#include <string>
#include <vector>

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
// Member files and authenticated keys are read once while they stay unchanged;
// the last use of identified entries is written by flush() (or at the end),
// once per entry instead of once per container.
class KeyFolderSenderDirectory : public ISenderDirectory {
public:
    static constexpr int kCurrent = 0;

    explicit KeyFolderSenderDirectory(CKeyManager& keys) : keys_(keys) {}
    ~KeyFolderSenderDirectory() override;
    KeyFolderSenderDirectory(const KeyFolderSenderDirectory&) = delete;
    KeyFolderSenderDirectory& operator=(const KeyFolderSenderDirectory&) = delete;

    Identification identify(uint32_t senderTag, const uint8_t* senderIdentityHash) override;
    int checkBeforeRenewal(const Identification& sender) override;
    void renew(const Identification& sender) override;
    void flush() override;

    // Where the last identified entry lies.
    const std::string& entryFolder() const { return folder_; }
    const std::string& entryFileName() const { return fileName_; }

private:
    struct MemberList {
        FileStamp stamp;
        std::vector<CKeyManager::UserData> records;
    };
    struct ReadKey {
        FileStamp keyStamp, ownPrivateStamp;
        CKeyManager::AuthenticatedKey key;
    };

    const std::vector<CKeyManager::UserData>& memberRecords(const std::string& memberFile);
    CKeyManager::AuthenticatedKey authenticatedKey(const std::string& path);

    CKeyManager& keys_;
    std::map<std::string, MemberList> memberLists_;
    std::map<std::string, ReadKey> readKeys_;
    std::map<std::pair<std::string, std::string>, SystemTime> pendingLastUse_;  // (folder, file name)
    std::string folder_;
    std::string fileName_;
};

} // namespace mvx
