#pragma once

#include <cstdint>
#include <optional>

namespace mvx::ui {

// How long the user has left keyboard and mouse alone anywhere on the
// desktop, from the X server's screen saver extension. Nothing where the
// program runs without X (Wayland, offscreen) or the server lacks it.
class DesktopIdleTime {
public:
    DesktopIdleTime();
    ~DesktopIdleTime();
    DesktopIdleTime(const DesktopIdleTime&) = delete;
    DesktopIdleTime& operator=(const DesktopIdleTime&) = delete;

    std::optional<int64_t> seconds() const;

private:
    struct Server;
    Server* server_ = nullptr;
};

} // namespace mvx::ui
