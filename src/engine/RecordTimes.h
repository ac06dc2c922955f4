#pragma once

#include "platform/SystemTime.h"

#include <cstdint>

namespace mvx {

// The time fields of an opened recipient record: encryption time, time-limit
// start and limit. A flipped bit in them must not pass for an expired limit,
// so the decryptor applies the limit only to times that can be real.
class RecordTimes {
public:
    static constexpr int64_t kClockTolerance = 60;  // a clock behind by less than a minute is no fault
    static constexpr int64_t kFarFuture = 366LL * 24 * 3600;
    static constexpr uint16_t kFirstYear = 1970;
    static constexpr uint16_t kLastYear = 9999;

    explicit RecordTimes(const uint8_t* record);

    // Real calendar dates where they are set, a start not before the
    // encryption, neither of them far ahead of now.
    bool plausible(int64_t nowUnix) const;
    // The limit counts from the first decryption, and this is it (start still the encryption time).
    bool firstDecryption() const { return startSet_ && start_ == encryption_; }
    // Where the limit's interval begins: the start once set by a decryption, else the encryption.
    int64_t intervalStart() const;
    bool startSet() const { return startSet_; }
    const SystemTime& encryption() const { return encryption_; }

    static bool isCalendarDate(const SystemTime& time);

private:
    SystemTime encryption_;
    SystemTime start_;
    bool startSet_ = false;   // any byte of the start field is not zero
};

} // namespace mvx
