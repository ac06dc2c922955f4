#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mvx::test {

// A compositor that has nothing to show: it offers a seat, surfaces that
// are never drawn and, when asked to, ext-idle-notify-v1's notifier (sending
// "idled" and "resumed" when the test says so) and xdg-activation-v1 (noting
// each activation). Its event loop runs on a thread of its own; the socket
// lies in a private folder, and socket() is the path for WAYLAND_DISPLAY.
class WaylandMockCompositor {
public:
    struct Offers {
        bool idleNotifier = true;
        bool activation = true;
    };
    struct Activation {
        std::string token;
        uint32_t surface = 0;  // the surface's object id
        bool operator==(const Activation&) const = default;
    };

    WaylandMockCompositor() : WaylandMockCompositor(Offers{}) {}
    explicit WaylandMockCompositor(Offers offers);
    ~WaylandMockCompositor();
    WaylandMockCompositor(const WaylandMockCompositor&) = delete;
    WaylandMockCompositor& operator=(const WaylandMockCompositor&) = delete;

    const std::string& socket() const;
    // Sent to every notification made so far.
    void idled();
    void resumed();
    // The timeouts the clients asked for, one per notification.
    std::vector<uint32_t> timeouts() const;
    std::vector<Activation> activations() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};

} // namespace mvx::test
