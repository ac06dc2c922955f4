#pragma once

#include "app/CMessageTable.h"
#include "platform/SystemTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mvx {

// The history of the authentications this user performed, kept in the key
// folder's "authhistory.dat". It grows by one record per authenticated key
// made and is never trimmed.
class CAuthManager {
public:
    struct AuthHistoryData {
        static constexpr size_t kSize = 304;
        static constexpr size_t kFileNameSize = 264;

        SystemTime authenticated;
        std::string fileName;      // the authenticated key made, no path
        uint64_t fingerprint = 0;  // of the partner public key that was authenticated
        SystemTime expiry;         // all zero when none
    };

    // One line of the history list for display.
    struct Row {
        std::string date;       // "%Y/%m/%d %H:%M"
        std::string fileName;
        std::string timeLimit;  // "%Y/%m/%d", or the table's "Not setting"
    };

    // A missing file is an empty history; a short file keeps its complete records.
    bool load(const std::string& path);
    bool save(const std::string& path) const;
    void append(const std::string& authKeyPath, uint64_t partnerFingerprint, const SystemTime& expiry);
    // Whether a record holds the fingerprint of this public key file's blob.
    bool contains(const std::string& publicKeyPath) const;
    bool containsFingerprint(uint64_t fingerprint) const;
    std::vector<Row> rows(const CMessageTable& table) const;

    const std::vector<AuthHistoryData>& records() const { return records_; }

private:
    std::vector<AuthHistoryData> records_;
};

} // namespace mvx
