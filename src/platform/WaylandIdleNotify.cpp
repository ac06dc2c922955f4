#include "platform/WaylandIdleNotify.h"

#include "ext-idle-notify-v1-client-protocol.h"

#include <wayland-client.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace mvx {

struct WaylandIdleNotify::Connection {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    ext_idle_notifier_v1* notifier = nullptr;
    ext_idle_notification_v1* notification = nullptr;
    MonotonicMs now;
    std::optional<int64_t> idleSinceMs;  // when the compositor said "idled"
    bool lost = false;

    ~Connection()
    {
        if (notification)
            ext_idle_notification_v1_destroy(notification);
        if (notifier)
            ext_idle_notifier_v1_destroy(notifier);
        if (seat)
            wl_seat_destroy(seat);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }
};

namespace {

using Connection = WaylandIdleNotify::Connection;

void globalAdded(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    auto* connection = static_cast<Connection*>(data);
    // The first seat: a desktop with several seats gives each user one.
    if (!connection->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        connection->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!connection->notifier && std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0)
        connection->notifier = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
}

void globalRemoved(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {globalAdded, globalRemoved};

void idled(void* data, ext_idle_notification_v1*)
{
    auto* connection = static_cast<Connection*>(data);
    connection->idleSinceMs = connection->now();
}

void resumed(void* data, ext_idle_notification_v1*) { static_cast<Connection*>(data)->idleSinceMs.reset(); }

const ext_idle_notification_v1_listener kNotificationListener = {idled, resumed};

int64_t steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

WaylandIdleNotify::WaylandIdleNotify(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {}

WaylandIdleNotify::~WaylandIdleNotify() = default;

std::unique_ptr<WaylandIdleNotify> WaylandIdleNotify::connect(const std::string& display, MonotonicMs now)
{
    const char* fromEnvironment = std::getenv("WAYLAND_DISPLAY");
    const std::string name = !display.empty() ? display : fromEnvironment ? fromEnvironment : "";
    if (name.empty())
        return nullptr;
    auto connection = std::make_unique<Connection>();
    connection->now = now ? std::move(now) : MonotonicMs(steadyMs);
    connection->display = wl_display_connect(name.c_str());
    if (!connection->display)
        return nullptr;
    connection->registry = wl_display_get_registry(connection->display);
    wl_registry_add_listener(connection->registry, &kRegistryListener, connection.get());
    if (wl_display_roundtrip(connection->display) < 0 || !connection->seat || !connection->notifier)
        return nullptr;
    connection->notification =
        ext_idle_notifier_v1_get_idle_notification(connection->notifier, kTimeoutMs, connection->seat);
    ext_idle_notification_v1_add_listener(connection->notification, &kNotificationListener, connection.get());
    if (wl_display_roundtrip(connection->display) < 0)
        return nullptr;
    return std::unique_ptr<WaylandIdleNotify>(new WaylandIdleNotify(std::move(connection)));
}

// The connection is this object's alone, so reading never races another
// thread: whatever the socket holds is read and handed to the listeners.
bool WaylandIdleNotify::readEvents()
{
    wl_display* display = connection_->display;
    while (wl_display_prepare_read(display) != 0)
        if (wl_display_dispatch_pending(display) < 0)
            return false;
    wl_display_flush(display);
    pollfd socket{wl_display_get_fd(display), POLLIN, 0};
    if (::poll(&socket, 1, 0) > 0) {
        if (wl_display_read_events(display) < 0)
            return false;
    } else {
        wl_display_cancel_read(display);
    }
    return wl_display_dispatch_pending(display) >= 0 && wl_display_get_error(display) == 0;
}

std::optional<int64_t> WaylandIdleNotify::seconds()
{
    if (connection_->lost || !readEvents()) {
        connection_->lost = true;
        return std::nullopt;
    }
    if (!connection_->idleSinceMs)
        return 0;
    return (connection_->now() - *connection_->idleSinceMs + kTimeoutMs) / 1000;
}

} // namespace mvx
