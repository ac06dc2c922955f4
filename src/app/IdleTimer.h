#pragma once

#include <cstdint>
#include <functional>

namespace mvx {

// The idle re-encryption timer: armed while "EncAndDec" and "UseTimer" are
// on, told of every user activity, and asked once a second whether the idle
// action is due. The action fires at most once per arming.
class IdleTimer {
public:
    using Clock = std::function<int64_t()>;  // seconds since 1970
    using Jitter = std::function<int()>;     // 0 to 29, drawn anew at each tick

    static constexpr int kJitterRange = 30;

    IdleTimer(Clock now, Jitter jitter);
    // The clock of the system and the C library's generator, seeded with the time.
    IdleTimer();

    // minutes: "TimeForTimer". Activity is counted from now.
    void arm(int minutes);
    void disarm();
    bool armed() const { return armed_; }
    // Since the last activity, the desktop's included.
    int64_t secondsIdle() const { return now_() - lastActivity_; }
    void activity();
    // The desktop's own count: the user touched keyboard or mouse somewhere
    // (in another program too) this many seconds ago.
    void desktopIdle(int64_t seconds);
    // The tick of every second. canAct: the window the action closes is there
    // to close (a hidden mini window is not). True once when the action is due.
    bool tick(bool canAct = true);

    static int64_t thresholdSeconds(int minutes, int jitter) { return 60 * static_cast<int64_t>(minutes) + jitter; }

private:
    Clock now_;
    Jitter jitter_;
    bool armed_ = false;
    bool fired_ = false;
    int minutes_ = 1;
    int64_t lastActivity_ = 0;
};

} // namespace mvx
