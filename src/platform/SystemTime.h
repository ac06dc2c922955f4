#pragma once

#include <cstdint>
#include <ctime>

namespace mvx {

// The 16-byte local date record stored in containers and key files: eight
// 16-bit fields. All zero means "no time".
struct SystemTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;  // 0 = Sunday
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;

    static constexpr int kSize = 16;

    bool isSet() const { return year != 0; }
    void toBytes(uint8_t* out) const;
    static SystemTime fromBytes(const uint8_t* in);
    // Local time of a POSIX time with the given milliseconds.
    static SystemTime fromUnix(time_t seconds, int milliseconds = 0);
    // Seconds since the epoch of this local time (milliseconds dropped).
    int64_t toUnix() const;

    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

} // namespace mvx
