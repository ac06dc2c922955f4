#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace mvx {

// How long the seat of a Wayland compositor has had no input, from its
// ext-idle-notify-v1 protocol (KDE, wlroots desktops), on a connection of its
// own beside the toolkit's. The compositor tells only when the seat has been
// left alone for a short timeout and when input came back: until then the
// reading is 0, from then on the timeout plus the time since.
class WaylandIdleNotify {
public:
    using MonotonicMs = std::function<int64_t()>;

    static constexpr uint32_t kTimeoutMs = 1000;

    // display: a socket name or path as in WAYLAND_DISPLAY; empty takes
    // WAYLAND_DISPLAY, and nothing is asked when that is empty too. Nothing
    // when no compositor answers or it offers no seat or no idle notifier.
    static std::unique_ptr<WaylandIdleNotify> connect(const std::string& display = {}, MonotonicMs now = {});

    ~WaylandIdleNotify();
    WaylandIdleNotify(const WaylandIdleNotify&) = delete;
    WaylandIdleNotify& operator=(const WaylandIdleNotify&) = delete;

    // Reads what the compositor sent since the last call without waiting.
    // Nothing once the connection is lost (the compositor ended).
    std::optional<int64_t> seconds();

    struct Connection;  // the compositor's objects, known only to the source file

private:
    explicit WaylandIdleNotify(std::unique_ptr<Connection> connection);
    bool readEvents();

    std::unique_ptr<Connection> connection_;
};

} // namespace mvx
