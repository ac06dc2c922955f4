#include "platform/WaylandActivation.h"

#include "xdg-activation-v1-client-protocol.h"

#include <wayland-client.h>

#include <cstring>

namespace mvx {

namespace {

void globalAdded(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    auto** activation = static_cast<xdg_activation_v1**>(data);
    if (!*activation && std::strcmp(interface, xdg_activation_v1_interface.name) == 0)
        *activation = static_cast<xdg_activation_v1*>(wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
}

void globalRemoved(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {globalAdded, globalRemoved};

} // namespace

bool activateWithToken(wl_display* display, wl_surface* surface, const std::string& token)
{
    if (!display || !surface || token.empty())
        return false;
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* ownDisplay = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(ownDisplay), queue);
    wl_registry* registry = wl_display_get_registry(ownDisplay);
    xdg_activation_v1* activation = nullptr;
    wl_registry_add_listener(registry, &kRegistryListener, &activation);
    wl_display_roundtrip_queue(display, queue);
    const bool offered = activation != nullptr;
    if (offered) {
        xdg_activation_v1_activate(activation, token.c_str(), surface);
        xdg_activation_v1_destroy(activation);
        // Sent before the toolkit's next frame, and heard before the return.
        wl_display_roundtrip_queue(display, queue);
    }
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(ownDisplay);
    wl_event_queue_destroy(queue);
    return offered;
}

} // namespace mvx
