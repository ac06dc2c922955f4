#pragma once

#include "app/CMessenger.h"
#include "engine/IdentityBlock.h"
#include "engine/RsaKeyWrapper.h"
#include "platform/SystemTime.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// The in-memory view of one key folder: its authenticated and plain public
// keys with their member records, its subfolders, the owner's personal
// information, and the lookups on the own key set.
class CKeyManager {
public:
    // One record of a member file: one key of a folder.
    struct UserData {
        static constexpr size_t kDiskSize = 447;
        static constexpr size_t kDisplayNameSize = 128;
        static constexpr size_t kMailSize = 128;
        static constexpr size_t kFileNameSize = 132;

        std::string displayName;
        std::string mail;
        std::string fileName;  // inside the folder, no path
        SystemTime expiry;
        SystemTime registered;
        SystemTime lastUse;
        uint8_t issuerMark = 0;
        uint32_t senderTag = 0;

        std::array<uint8_t, kDiskSize> toDisk() const;
        static UserData fromDisk(const uint8_t* bytes);
    };

    // What reading an authenticated key gave.
    struct AuthenticatedKey {
        int result = kAuthKeyFileMissing;
        std::string userName;
        std::string mail;
        SystemTime authenticated;
        SystemTime expiry;
        int issuerMark = 0;
        IdentityBlock::Hash identityHash{};
    };

    // An authenticated key whose expiry has passed.
    struct OutdatedKey {
        std::string displayName;
        std::string fileName;
        std::string folder;
        std::string expiry;  // "%Y/%m/%d"
    };

    // openFolder results.
    static constexpr int kFolderOpened = 0;
    static constexpr int kFolderEmpty = 1;
    // addKey results.
    static constexpr int kKeyAdded = 0;
    static constexpr int kKeyRefused = 1;
    static constexpr int kKeyFileNotFound = 2;
    static constexpr int kAuthKeyUnreadable = 3;
    static constexpr int kOwnKeySetFile = 4;  // the own key set's files stay where they are
    // readAuthenticatedKey results.
    static constexpr int kAuthKeyRead = 0;
    static constexpr int kNotAuthenticated = 1;
    static constexpr int kOwnPrivateKeyMissing = 3;
    static constexpr int kAuthKeyFileMissing = 4;

    static constexpr size_t kMaxDisplayNameBytes = 127;
    static constexpr size_t kMaxMailBytes = 127;
    static constexpr size_t kMaxFileNameBytes = 131;
    static constexpr const char* kParentEntry = "..";

    explicit CKeyManager(CMessenger& messenger) : messenger_(messenger) {}

    // The own key set as the settings name it: key root, public and private
    // key file names. Sets the key folder and reads the personal information.
    void findOwnKeySet(const std::string& keyPairRoot, const std::string& publicKeyName,
                       const std::string& privateKeyName);
    bool hasOwnKeySet() const { return !keyRoot_.empty() && !privateKeyName_.empty(); }
    const std::string& keyRoot() const { return keyRoot_; }
    std::string ownPublicKeyPath() const { return keyRoot_ + publicKeyName_; }
    std::string ownPrivateKeyPath() const { return keyRoot_ + privateKeyName_; }
    // The file is one of the own key set (public key, private key or the
    // self-authentication key of the key folder), under whatever name.
    bool isOwnKeySetFile(const std::string& path) const;

    // A key pair the user picked by hand: refused with a message when the
    // pair is not valid or its files lie in different folders; otherwise it
    // becomes the own key set (confirmed with both paths). 1 or 0.
    int adoptKeyPair(const std::string& publicKeyPath, const std::string& privateKeyPath);

    void setKeyFolder(const std::string& folder);
    int openFolder(const std::string& folder);
    int addKey(const std::string& displayName, const std::string& mail, const std::string& keyFilePath);
    AuthenticatedKey readAuthenticatedKey(const std::string& path);
    // Shows "%s was not found." when the file cannot be opened.
    std::optional<uint64_t> senderTagOfKeyFile(const std::string& path);

    void loadMemberFiles();
    bool saveMemberFiles() const;
    bool readPersonalInfo();
    bool writePersonalInfo(const std::string& userName, const std::string& mail);
    // Removes record index of the combined index space (authenticated first).
    bool removeRecord(size_t index);

    // Every authenticated key of the key folder and the folders below it
    // whose expiry lies at least one whole minute in the past.
    std::vector<OutdatedKey> findOutdatedKeys() const;
    // The key folder and every folder below it, each with a trailing "/".
    std::vector<std::string> keyFolderTree() const;
    // folder and every folder below it (symbolic links not followed), each with a trailing "/".
    static std::vector<std::string> keyFolderTreeOf(const std::string& folder);

    static std::vector<UserData> loadMemberFile(const std::string& path);
    // Deletes the file when there are no records.
    static bool saveMemberFile(const std::string& path, const std::vector<UserData>& records);

    const std::string& keyFolder() const { return keyFolder_; }
    const std::string& owner() const { return owner_; }
    const std::string& currentFolder() const { return currentFolder_; }
    const std::string& userName() const { return userName_; }
    const std::string& mail() const { return mail_; }
    uint64_t ownFingerprint() const { return ownFingerprint_; }
    const std::vector<std::string>& authenticatedKeyNames() const { return authenticatedNames_; }
    const std::vector<std::string>& publicKeyNames() const { return publicNames_; }
    const std::vector<std::string>& folderNames() const { return folderNames_; }
    const std::vector<UserData>& authenticatedRecords() const { return authenticatedRecords_; }
    const std::vector<UserData>& publicRecords() const { return publicRecords_; }
    size_t recordCount() const { return authenticatedRecords_.size() + publicRecords_.size(); }
    const UserData& recordAt(size_t index) const;

private:
    void scanFolder(const std::string& folder);

    CMessenger& messenger_;
    std::string keyRoot_;
    std::string publicKeyName_;
    std::string privateKeyName_;
    std::string currentFolder_;
    std::string keyFolder_;
    std::string owner_;
    std::string userName_;
    std::string mail_;
    std::vector<UserData> authenticatedRecords_;
    std::vector<UserData> publicRecords_;
    std::vector<std::string> authenticatedNames_;
    std::vector<std::string> publicNames_;
    std::vector<std::string> folderNames_;
    uint64_t ownFingerprint_ = 0;
    RsaKeyWrapper wrapper_;
};

} // namespace mvx
