#include "platform/WaylandIdleNotify.h"

#include "WaylandMockCompositor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace mvx {
namespace {

using test::WaylandMockCompositor;

// Reads until the reading is the one expected: the compositor's events come
// over a socket from its own thread.
std::optional<int64_t> readingAfterEvents(WaylandIdleNotify& idle, std::optional<int64_t> expected)
{
    std::optional<int64_t> reading;
    for (int i = 0; i < 200 && (reading = idle.seconds()) != expected; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return reading;
}

TEST(WaylandIdleNotify, followsIdledAndResumedWithTheTimeSinceIdled)
{
    WaylandMockCompositor compositor;
    int64_t nowMs = 50000;
    auto idle = WaylandIdleNotify::connect(compositor.socket(), [&nowMs] { return nowMs; });
    ASSERT_TRUE(idle);
    EXPECT_EQ(compositor.timeouts(), std::vector<uint32_t>{WaylandIdleNotify::kTimeoutMs});
    EXPECT_EQ(idle->seconds(), 0);

    compositor.idled();
    // Idled one timeout after the last input.
    EXPECT_EQ(readingAfterEvents(*idle, 1), 1);
    nowMs += 41500;
    EXPECT_EQ(idle->seconds(), 42);

    compositor.resumed();
    EXPECT_EQ(readingAfterEvents(*idle, 0), 0);
    nowMs += 10000;
    EXPECT_EQ(idle->seconds(), 0);
}

TEST(WaylandIdleNotify, aCompositorThatEndsStopsTheReadings)
{
    auto compositor = std::make_unique<WaylandMockCompositor>();
    auto idle = WaylandIdleNotify::connect(compositor->socket());
    ASSERT_TRUE(idle);
    compositor->idled();
    EXPECT_EQ(readingAfterEvents(*idle, 1), 1);
    compositor.reset();
    EXPECT_EQ(readingAfterEvents(*idle, std::nullopt), std::nullopt);
    EXPECT_EQ(idle->seconds(), std::nullopt);
}

TEST(WaylandIdleNotify, noSourceWithoutTheProtocolOrACompositor)
{
    WaylandMockCompositor withoutNotifier({.idleNotifier = false});
    EXPECT_FALSE(WaylandIdleNotify::connect(withoutNotifier.socket()));
    EXPECT_FALSE(WaylandIdleNotify::connect("/nonexistent/wayland-socket"));
    // No WAYLAND_DISPLAY: no guess at a default socket.
    const char* was = std::getenv("WAYLAND_DISPLAY");
    const std::string saved = was ? was : "";
    ::setenv("WAYLAND_DISPLAY", "", 1);
    EXPECT_FALSE(WaylandIdleNotify::connect());
    if (was)
        ::setenv("WAYLAND_DISPLAY", saved.c_str(), 1);
    else
        ::unsetenv("WAYLAND_DISPLAY");
}

} // namespace
} // namespace mvx
