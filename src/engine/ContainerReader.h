#pragma once

#include "engine/ContainerTrailer.h"
#include "engine/KeyMaterialCache.h"
#include "engine/RecipientRecordTable.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mvx {

enum class ContainerStatus {
    Ok,
    NotContainer,      // too short, wrong magic, or a record area that does not fit the file
    Damaged,           // the parts do not add up to the file, or the history's counts to its units
    NewerVersion,      // version test failed
    OldHistoryLayout,  // history in the older layout (flag 0x04)
    KeyFileMissing,    // an own key file cannot be opened
    NotAuthorized,     // no record for the own key pair
    HeadNotOpened,     // the own record's head could not be opened
    ReadFailed,
};

// What the reader learnt from a container's end: trailer, records (the own one
// opened), the content key and where the body lies.
struct ContainerLayout {
    static constexpr uint64_t kMinimumLength = RecipientRecordTable::kRecordSize + ContainerTrailer::kSize;
    static constexpr uint64_t kSenderNamesSize = 80;

    uint64_t fileLength = 0;
    ContainerTrailer trailer;
    uint64_t recordAreaOffset = 0;
    RecipientRecordTable records;  // every 256-byte unit before the trailer, history units included
    int ownIndex = -1;
    uint32_t contentKey[8] = {};
    std::string fileName;
    uint64_t bodyLength = 0;
    // The sender's key file framing (length word and blob) with the attachment; 0 without.
    uint64_t senderKeyOffset = 0;
    uint64_t senderKeyLength = 0;

    uint64_t tailSize() const { return static_cast<uint64_t>(trailer.unitCount()) * 256 + ContainerTrailer::kSize; }
    const uint8_t* ownRecord() const { return records.addressOf(static_cast<size_t>(ownIndex)); }
    uint8_t* ownRecord() { return records.addressOf(static_cast<size_t>(ownIndex)); }
};

// Reads a container from its end, finds the record sealed for the own key pair
// and opens it. Never trusts a count beyond what the file holds: body, sender
// attachment, records, history and trailer fill the file exactly, or the
// container is damaged.
class ContainerReader {
public:
    // Trailer, version, old-layout flag, record area and the records themselves.
    // The history viewer accepts the older history layout (flag 0x04); decryption does not.
    static ContainerStatus readLayout(int fd, ContainerLayout& layout, bool acceptOlderHistory = false);
    // readLayout, then the own record found, its head opened and its tail deciphered.
    static ContainerStatus open(int fd, const std::string& ownPublicKeyFile, const std::string& ownPrivateKeyFile,
                                ContainerLayout& layout, bool acceptOlderHistory = false);
    // As above with the own key files taken from a cache.
    static ContainerStatus open(int fd, KeyMaterialCache& keys, const std::string& ownPublicKeyFile,
                                const std::string& ownPrivateKeyFile, ContainerLayout& layout,
                                bool acceptOlderHistory = false);
    static ContainerStatus open(int fd, const std::vector<uint8_t>& ownPublicBlob,
                                const std::vector<uint8_t>& ownPrivateBlob, ContainerLayout& layout);

private:
    // Where the body ends and what follows it, exactly up to the record area.
    static ContainerStatus frameBody(int fd, ContainerLayout& layout);
    static ContainerStatus frameOlderLayout(ContainerLayout& layout);
    static bool historyFillsItsUnits(const ContainerLayout& layout);
    static ContainerStatus openOwnRecord(ContainerLayout& layout, const std::vector<uint8_t>& ownPublicBlob,
                                         evp_pkey_st* ownPrivateKey);
};

} // namespace mvx
