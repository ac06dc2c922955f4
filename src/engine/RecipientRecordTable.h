#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct evp_pkey_st;

namespace mvx {

// Offsets inside one 256-byte recipient record.
namespace RecordOffset {
constexpr size_t kFingerprint = 0;
constexpr size_t kHeadCrc = 8;
constexpr size_t kHead = 16;            // 112 plain bytes, 128 sealed
constexpr size_t kContentKey = 16;      // 32 bytes in the opened head
constexpr size_t kFileName = 48;        // 76 bytes in the opened head
constexpr size_t kFormatWord = 124;     // 4 bytes in the opened head
constexpr size_t kTail = 144;           // 112 bytes under the keystream
constexpr size_t kRecipientIdentity = 144;
constexpr size_t kEncryptionTime = 180;
constexpr size_t kTimeLimit = 196;
constexpr size_t kSenderIdentity = 200;
constexpr size_t kLimitStart = 232;
constexpr size_t kDecryptionCount = 248;
constexpr size_t kSenderTag = 252;
} // namespace RecordOffset

// The recipient records of one container in memory: one 256-byte record per
// recipient, each carrying the content key under that recipient's RSA key.
class RecipientRecordTable {
public:
    static constexpr size_t kRecordSize = 256;
    static constexpr size_t kHeadSize = 112;
    static constexpr size_t kSealedHeadSize = 128;
    static constexpr size_t kTailSize = 112;
    static constexpr size_t kFileNameSize = 76;
    static constexpr uint32_t kFormatWord = 0x2003;
    static constexpr uint32_t kOlderFormatWord = 0x2002;
    static constexpr int kNoRecord = -1;

    using Record = std::array<uint8_t, kRecordSize>;

    void allocate(size_t count) { records_.assign(count, Record{}); }
    size_t count() const { return records_.size(); }
    int store(size_t index, const uint8_t* record);
    uint8_t* addressOf(size_t index);
    const uint8_t* addressOf(size_t index) const;
    void gather(uint8_t* destination) const;
    void load(size_t count, const uint8_t* source);

    // Fingerprint, head CRC and the RSA-sealed head of record index. 1, or 0 after the error report.
    int sealHead(size_t index, const std::string& recipientKeyFile);
    int sealHead(size_t index, const std::vector<uint8_t>& recipientBlob);
    // As above with the blob already imported.
    int sealHead(size_t index, const std::vector<uint8_t>& recipientBlob, evp_pkey_st* recipientKey);
    // Finds the first record sealed for the own key pair and opens it with one
    // private-key operation: the head whose check value matched replaces the
    // sealed head. Index or kNoRecord.
    int openOwnRecord(const std::vector<uint8_t>& ownPublicBlob, evp_pkey_st* ownPrivateKey);
    // Applies a fresh keystream keyed with the content key to bytes 144..255; seals and opens.
    void transformTail(size_t index, const uint32_t* contentKeyWords);

    // Helpers over an opened record.
    static void contentKeyOf(const uint8_t* record, uint32_t* words);
    static std::string fileNameOf(const uint8_t* record);
    static void putFileName(uint8_t* record, const std::string& name);

private:
    std::vector<Record> records_;
};

} // namespace mvx
