#include "WaylandMockCompositor.h"

#include "ext-idle-notify-v1-server-protocol.h"
#include "xdg-activation-v1-server-protocol.h"

#include <wayland-server.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace mvx::test {

struct WaylandMockCompositor::State {
    std::string folder;
    std::string socket;
    wl_display* display = nullptr;
    std::vector<wl_resource*> notifications;
    std::vector<uint32_t> timeouts;
    std::vector<WaylandMockCompositor::Activation> activations;
    mutable std::mutex mutex;  // the event loop's thread and the test's
    std::atomic<bool> stopping{false};
    std::thread loop;

    void send(void (*event)(wl_resource*))
    {
        std::lock_guard hold(mutex);
        for (wl_resource* notification : notifications)
            event(notification);
        wl_display_flush_clients(display);
    }
};

namespace {

using State = WaylandMockCompositor::State;

void destroyResource(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }

const struct ext_idle_notification_v1_interface kNotification = {destroyResource};

void notificationGone(wl_resource* resource)
{
    auto& list = static_cast<State*>(wl_resource_get_user_data(resource))->notifications;
    std::erase(list, resource);
}

void getIdleNotification(wl_client* client, wl_resource* notifier, uint32_t id, uint32_t timeout, wl_resource*)
{
    auto* state = static_cast<State*>(wl_resource_get_user_data(notifier));
    wl_resource* notification = wl_resource_create(client, &ext_idle_notification_v1_interface, 1, id);
    wl_resource_set_implementation(notification, &kNotification, state, notificationGone);
    state->notifications.push_back(notification);
    state->timeouts.push_back(timeout);
}

const struct ext_idle_notifier_v1_interface kNotifier = {destroyResource, getIdleNotification};

void bindNotifier(wl_client* client, void* data, uint32_t version, uint32_t id)
{
    wl_resource* notifier = wl_resource_create(client, &ext_idle_notifier_v1_interface, static_cast<int>(version), id);
    wl_resource_set_implementation(notifier, &kNotifier, data, nullptr);
}

// A seat without pointer or keyboard: the clients here only name it.
void bindSeat(wl_client* client, void*, uint32_t version, uint32_t id)
{
    wl_resource_create(client, &wl_seat_interface, static_cast<int>(version), id);
}

void activate(wl_client*, wl_resource* activation, const char* token, wl_resource* surface)
{
    auto* state = static_cast<State*>(wl_resource_get_user_data(activation));
    state->activations.push_back({token, wl_resource_get_id(surface)});
}

void getActivationToken(wl_client* client, wl_resource*, uint32_t id)
{
    wl_resource_create(client, &xdg_activation_token_v1_interface, 1, id);
}

const struct xdg_activation_v1_interface kActivation = {destroyResource, getActivationToken, activate};

void bindActivation(wl_client* client, void* data, uint32_t version, uint32_t id)
{
    wl_resource* activation = wl_resource_create(client, &xdg_activation_v1_interface, static_cast<int>(version), id);
    wl_resource_set_implementation(activation, &kActivation, data, nullptr);
}

// Nothing is drawn: every request but destroy is left without a handler.
const auto kSurface = [] {
    struct wl_surface_interface requests {};
    requests.destroy = destroyResource;
    return requests;
}();

void createSurface(wl_client* client, wl_resource* compositor, uint32_t id)
{
    wl_resource* surface = wl_resource_create(client, &wl_surface_interface, wl_resource_get_version(compositor), id);
    wl_resource_set_implementation(surface, &kSurface, nullptr, nullptr);
}

const auto kCompositor = [] {
    struct wl_compositor_interface requests {};
    requests.create_surface = createSurface;
    return requests;
}();

void bindCompositor(wl_client* client, void*, uint32_t version, uint32_t id)
{
    wl_resource* compositor = wl_resource_create(client, &wl_compositor_interface, static_cast<int>(version), id);
    wl_resource_set_implementation(compositor, &kCompositor, nullptr, nullptr);
}

int listeningSocket(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0)
        throw std::runtime_error("the mock compositor's socket could not be made at " + path);
    return fd;
}

void run(State& state)
{
    wl_event_loop* events = wl_display_get_event_loop(state.display);
    pollfd ready{wl_event_loop_get_fd(events), POLLIN, 0};
    while (!state.stopping) {
        ::poll(&ready, 1, 20);
        std::lock_guard hold(state.mutex);
        wl_event_loop_dispatch(events, 0);
        wl_display_flush_clients(state.display);
    }
}

} // namespace

WaylandMockCompositor::WaylandMockCompositor(Offers offers) : state_(std::make_unique<State>())
{
    char folder[] = "/tmp/mvx-wayland-XXXXXX";
    if (!::mkdtemp(folder))
        throw std::runtime_error("no folder for the mock compositor");
    state_->folder = folder;
    state_->socket = state_->folder + "/wayland-mock";
    state_->display = wl_display_create();
    wl_global_create(state_->display, &wl_seat_interface, 1, state_.get(), bindSeat);
    wl_global_create(state_->display, &wl_compositor_interface, 4, state_.get(), bindCompositor);
    if (offers.idleNotifier)
        wl_global_create(state_->display, &ext_idle_notifier_v1_interface, 1, state_.get(), bindNotifier);
    if (offers.activation)
        wl_global_create(state_->display, &xdg_activation_v1_interface, 1, state_.get(), bindActivation);
    wl_display_add_socket_fd(state_->display, listeningSocket(state_->socket));
    state_->loop = std::thread(run, std::ref(*state_));
}

WaylandMockCompositor::~WaylandMockCompositor()
{
    state_->stopping = true;
    state_->loop.join();
    wl_display_destroy_clients(state_->display);
    wl_display_destroy(state_->display);
    ::unlink(state_->socket.c_str());
    ::rmdir(state_->folder.c_str());
}

const std::string& WaylandMockCompositor::socket() const { return state_->socket; }

void WaylandMockCompositor::idled() { state_->send(ext_idle_notification_v1_send_idled); }

void WaylandMockCompositor::resumed() { state_->send(ext_idle_notification_v1_send_resumed); }

std::vector<uint32_t> WaylandMockCompositor::timeouts() const
{
    std::lock_guard hold(state_->mutex);
    return state_->timeouts;
}

std::vector<WaylandMockCompositor::Activation> WaylandMockCompositor::activations() const
{
    std::lock_guard hold(state_->mutex);
    return state_->activations;
}

} // namespace mvx::test
