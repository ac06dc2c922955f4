#pragma once

#include "app/CMessenger.h"
#include "keys/CKeyManager.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// The destination list over the key-folder tree: the folder shown with its
// entries, and every change the list window makes (register, modify, delete,
// make folder, move, hand the selection to an encryption). Each change is
// written to the folder's member files at once. The window and morvanex-cli
// drive it; every message and question goes through the messenger.
class DestinationListEditor {
public:
    static constexpr const char* kMakerKeyFileName = "brellwick_vuz.kpub";

    // One line of the entry list, its columns in display order.
    struct Row {
        std::string name;
        std::string mail;
        std::string keyFileName;
        std::string fileTime;        // "%Y/%m/%d %H:%M"
        std::string expiration;      // "%Y/%m/%d" or "Not setting"
        std::string lastOperation;   // "%Y/%m/%d %H:%M" or "Not Used"
        bool authenticated = false;
        bool oneself = false;        // shown with "(oneself)"
    };

    struct FolderView {
        std::string folder;          // full path with trailing "/"
        std::string title;           // owner + "さんの宛先リスト", or the subfolder's name
        std::string parentRow;       // "上のリストに戻る" inside a subfolder, else empty
        std::vector<std::string> subfolders;
        std::vector<Row> rows;       // authenticated entries first
    };

    // The fields of the "Add"/"Modify" dialog (CKeyChainList_Add).
    struct EntryFields {
        std::string name;
        std::string mail;
        std::string keyFile;  // "Auth File"
        std::string folder;   // "Registrate Folder"
    };
    // Shows the dialog filled with fields; false is Cancel. After a refused
    // OK it is shown again with the same fields.
    using EntryDialog = std::function<bool(EntryFields& fields, bool modify)>;

    // What "Create Encrypt File" hands to the encryption (batch kind 2).
    struct EncryptHandOver {
        std::vector<std::string> keyFiles;
        std::vector<std::string> plainFiles;
    };

    DestinationListEditor(CMessenger& messenger, CKeyManager& keys, EntryDialog dialog);

    // Opens folder (the key folder when empty) and lists it.
    FolderView showFolder(const std::string& folder = {});
    const std::string& currentFolder() const { return keys_.currentFolder(); }

    // Registration of a key file (Add, or a key file opened from the shell).
    // folder is the proposed "Registrate Folder" (the folder shown when empty).
    // True when the key was registered.
    bool registerKey(const std::string& keyFilePath, const std::string& folder = {});
    // Registration without the dialog, for keys whose name and mail are known.
    bool registerKeyAs(const std::string& keyFilePath, const std::string& folder, const std::string& name,
                       const std::string& mail);

    // Entries are given by their index in the folder shown (authenticated first).
    bool modify(const std::vector<size_t>& selection);
    // Returns the number of entries deleted.
    size_t deleteEntries(const std::vector<size_t>& selection);
    bool deleteFolder(const std::string& folder);
    bool makeFolder(const std::string& name);
    // target: the folder chosen; asked with the folder browser when not given.
    size_t move(const std::vector<size_t>& selection, std::optional<std::string> target = std::nullopt);
    // Empty selection: "Not select partber's address." and nullopt.
    std::optional<EncryptHandOver> createEncryptFile(const std::vector<size_t>& selection);

    // Whether an authenticated entry anywhere in the tree carries the key file's sender tag.
    bool isRegistered(const std::string& keyFilePath);
    // Every folder of the tree that holds a file of this name (full paths of the files).
    std::vector<std::string> findCopies(const std::string& fileName) const;

    // What the encryption asks of the list: the key files a key folder lists
    // (authenticated first), and the name and mail registered for a key file.
    std::vector<std::string> keyFilesIn(const std::string& folder) const;
    std::optional<std::pair<std::string, std::string>> lookup(const std::string& keyFilePath) const;

    static bool isMakerKey(const std::string& fileName);

private:
    bool checkKeyFile(const std::string& path);
    bool isOwnPublicKey(const std::string& path) const;
    bool collectFields(EntryFields& fields, bool modify);
    bool refuseDuplicate(const std::string& keyFilePath, const std::string& folder);
    void offerCopiesUpdate(const std::string& keyFilePath, const std::string& folder);
    bool addToFolder(const EntryFields& fields);
    std::string folderOrCurrent(const std::string& folder) const;
    bool insideKeyFolder(const std::string& folder) const;
    bool moveEntry(const CKeyManager::UserData& record, const std::string& target);
    void reopen();
    Row rowOf(const CKeyManager::UserData& record, bool authenticated) const;

    CMessenger& messenger_;
    CKeyManager& keys_;
    EntryDialog dialog_;
};

} // namespace mvx
