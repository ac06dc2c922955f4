#pragma once

#include "engine/ContainerTrailer.h"
#include "engine/KeystreamEngine.h"
#include "engine/RecipientRecordTable.h"
#include "platform/SystemTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mvx {

// The history a container carries: its recipients' names and dated events.
// Kept in memory for one operation, written back between the recipient
// records and the trailer, enciphered with the content key of one record.
class CArchiveHistoryMan {
public:
    struct HistoryList {
        SystemTime time;
        uint32_t actor = 0;  // a recipient record index
        uint32_t kind = 0;
        uint8_t marker = 1;  // always 1 when written
    };
    struct NameEntry {
        std::string userName;  // 20-byte field
        std::string mail;      // 60-byte field
    };

    static constexpr size_t kUnitSize = 256;
    static constexpr size_t kCountsSize = 8;
    static constexpr size_t kNameEntrySize = 80;
    static constexpr size_t kUserNameSize = 20;
    static constexpr size_t kMailSize = 60;
    static constexpr size_t kEventSize = 25;
    static constexpr uint32_t kKindCreated = 0;
    static constexpr uint32_t kKindDecrypted = 3;

    // read() and readOlderLayout() results.
    static constexpr int kReadOk = 0;
    static constexpr int kReadNotOpened = 1;
    static constexpr int kReadNoRecord = 2;
    static constexpr int kReadDamaged = 3;  // counts that do not fit the block or the file
    // rewrite() results.
    static constexpr int kRewritten = 0;
    static constexpr int kRewriteFailed = 1;
    static constexpr int kRewriteNoRecord = 2;
    static constexpr int kRewriteNotRead = 3;
    static constexpr int kRewriteNothingAdded = 4;

    // Units of 256 bytes a block of d names and m events takes; at least one
    // zero byte always follows the events.
    static uint32_t blockUnits(size_t nameCount, size_t eventCount);

    // Empty event list, one empty name entry, no record, not read.
    void create(const std::string& containerPath);
    void setTrailerAndRecord(const uint8_t* trailer, const uint8_t* plainRecord);
    void setNames(std::vector<NameEntry> names) { names_ = std::move(names); }

    int read(const std::string& containerPath);
    // History at the start of the file (trailer flag 0x04), for the history viewer.
    int readOlderLayout(const std::string& containerPath);

    // Appends an event at the current local time.
    void addEvent(uint32_t actor, uint32_t kind);
    // As addEvent, but a decryption event goes to the front (older layout order).
    void addEventFront(uint32_t actor, uint32_t kind);

    // Replaces everything from (file end - backOffset) with the block and the trailer. 1 or 0.
    int write(const std::string& containerPath, uint64_t backOffset);
    // The writer has just appended the records: creation event, then block and trailer.
    int appendAtCreation(const std::string& containerPath);
    // Writes the block again over the old one when events were added since
    // read(). A failure leaves the container readable with its old history.
    int rewrite();

    const std::vector<NameEntry>& names() const { return names_; }
    const std::vector<HistoryList>& events() const { return events_; }
    const ContainerTrailer& trailer() const { return trailer_; }
    bool hasRecord() const { return hasRecord_; }
    bool wasRead() const { return wasRead_; }

private:
    // Keys an engine with the content key of the record the history was given.
    void keyEngine(KeystreamEngine& engine) const;
    std::vector<uint8_t> buildBlock(uint32_t units) const;
    bool parseBlock(const std::vector<uint8_t>& block);
    bool replaceBlock();

    ContainerTrailer trailer_;
    RecipientRecordTable::Record record_{};
    bool hasRecord_ = false;
    std::vector<NameEntry> names_;
    std::vector<HistoryList> events_;
    std::string containerPath_;
    bool wasRead_ = false;
    size_t eventsRead_ = 0;
};

} // namespace mvx
