#pragma once

#include "engine/IdentityBlock.h"
#include "engine/RsaBlob.h"
#include "platform/FileStamp.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// Key files as a run of encryptions or decryptions uses them: each file is
// read, its blob imported and an authenticated key's sealed identity opened
// once, not once per container. An entry is read again when its file changes
// (inode, size or modification time), so a replaced key is never used stale.
// Safe to share between threads.
class KeyMaterialCache {
public:
    struct KeyFile {
        std::vector<uint8_t> bytes;  // the whole file
        std::vector<uint8_t> blob;   // its key blob; empty when the framing is damaged
        std::shared_ptr<evp_pkey_st> key;  // the imported blob; nullptr when it does not import
        std::optional<IdentityBlock::Hash> ownerIdentity;  // read as a private key file: its owner's identity hash
        ~KeyFile();
    };

    // nullptr when the file cannot be read.
    std::shared_ptr<const KeyFile> keyFile(const std::string& path);
    // The plain bytes of the sealed record (second framing) of an authenticated
    // key file, opened with the given private key file; nullopt when there is
    // none or it does not open.
    std::optional<std::vector<uint8_t>> openedSeal(const std::string& keyFilePath, const std::string& privateKeyPath);
    // Forgets everything (the bytes of private key files are overwritten).
    void clear();

    // The sealed record of a key file's bytes; empty when the file has none.
    static std::vector<uint8_t> sealedRecordOf(const std::vector<uint8_t>& fileBytes);

private:
    struct Entry {
        FileStamp stamp;
        std::shared_ptr<const KeyFile> file;
    };
    struct Seal {
        FileStamp keyStamp, privateStamp;
        std::optional<std::vector<uint8_t>> plain;
    };

    static std::shared_ptr<const KeyFile> load(const std::string& path);

    std::mutex mutex_;
    std::map<std::string, Entry> files_;
    std::map<std::pair<std::string, std::string>, Seal> seals_;
};

} // namespace mvx
