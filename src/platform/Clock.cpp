#include "platform/Clock.h"

#include <atomic>
#include <time.h>

namespace mvx {

namespace {
std::atomic<bool> g_fixed{false};
std::atomic<int64_t> g_fixedSeconds{0};
std::atomic<int> g_fixedMillis{0};
} // namespace

SystemTime Clock::now()
{
    if (g_fixed)
        return SystemTime::fromUnix(static_cast<time_t>(g_fixedSeconds.load()), g_fixedMillis.load());
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return SystemTime::fromUnix(ts.tv_sec, static_cast<int>(ts.tv_nsec / 1000000));
}

int64_t Clock::unixNow()
{
    if (g_fixed)
        return g_fixedSeconds.load();
    return static_cast<int64_t>(time(nullptr));
}

int32_t Clock::tickCount()
{
    struct timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const int64_t ms = static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
    return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

void Clock::setFixed(int64_t unixSeconds, int milliseconds)
{
    g_fixedSeconds = unixSeconds;
    g_fixedMillis = milliseconds;
    g_fixed = true;
}

void Clock::advance(int64_t seconds) { g_fixedSeconds += seconds; }

void Clock::useSystem() { g_fixed = false; }

} // namespace mvx
