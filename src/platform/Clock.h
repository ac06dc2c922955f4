#pragma once

#include "platform/SystemTime.h"

#include <cstdint>

namespace mvx {

// The one clock of the program. Tests set a fixed time instead of sleeping.
class Clock {
public:
    // Local time now (or the time a test set).
    static SystemTime now();
    // Seconds since the epoch now (or the time a test set).
    static int64_t unixNow();
    // Milliseconds since an arbitrary start, as a signed 32-bit value.
    static int32_t tickCount();

    // Test control: freeze the clock at a POSIX time with milliseconds; advance it.
    static void setFixed(int64_t unixSeconds, int milliseconds = 0);
    static void advance(int64_t seconds);
    static void useSystem();
};

} // namespace mvx
