#include "app/IdleTimer.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace mvx {

IdleTimer::IdleTimer(Clock now, Jitter jitter) : now_(std::move(now)), jitter_(std::move(jitter)) {}

IdleTimer::IdleTimer()
    : IdleTimer([] { return static_cast<int64_t>(std::time(nullptr)); },
                [] {
                    static const bool seeded = (std::srand(static_cast<unsigned>(std::time(nullptr))), true);
                    (void)seeded;
                    return std::rand() % kJitterRange;
                })
{
}

void IdleTimer::arm(int minutes)
{
    armed_ = true;
    fired_ = false;
    minutes_ = minutes;
    lastActivity_ = now_();
}

void IdleTimer::disarm() { armed_ = false; }

void IdleTimer::activity() { lastActivity_ = now_(); }

void IdleTimer::desktopIdle(int64_t seconds)
{
    if (seconds >= 0)
        lastActivity_ = std::max(lastActivity_, now_() - seconds);
}

bool IdleTimer::tick(bool canAct)
{
    if (!armed_ || fired_)
        return false;
    const int64_t elapsed = now_() - lastActivity_;
    if (elapsed == 0)
        return false;
    if (elapsed <= thresholdSeconds(minutes_, jitter_()) || !canAct)
        return false;
    fired_ = true;
    return true;
}

} // namespace mvx
