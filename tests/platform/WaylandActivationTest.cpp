#include "platform/WaylandActivation.h"

#include "WaylandMockCompositor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <wayland-client.h>

namespace mvx {
namespace {

using test::WaylandMockCompositor;

// A client with one surface, as a toolkit holds it.
struct SurfaceClient {
    wl_display* display = nullptr;
    wl_compositor* compositor = nullptr;
    wl_surface* surface = nullptr;

    explicit SurfaceClient(const std::string& socket) : display(wl_display_connect(socket.c_str()))
    {
        if (!display)
            return;
        wl_registry* registry = wl_display_get_registry(display);
        static const wl_registry_listener listener = {
            [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
                if (std::strcmp(interface, wl_compositor_interface.name) == 0)
                    static_cast<SurfaceClient*>(data)->compositor =
                        static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
            },
            [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(registry, &listener, this);
        wl_display_roundtrip(display);
        wl_registry_destroy(registry);
        if (compositor)
            surface = wl_compositor_create_surface(compositor);
    }
    ~SurfaceClient()
    {
        if (surface)
            wl_surface_destroy(surface);
        if (compositor)
            wl_compositor_destroy(compositor);
        if (display)
            wl_display_disconnect(display);
    }
};

TEST(WaylandActivation, theTokenReachesTheCompositorForTheWindowsSurface)
{
    WaylandMockCompositor compositor;
    SurfaceClient client(compositor.socket());
    ASSERT_TRUE(client.surface);
    EXPECT_TRUE(activateWithToken(client.display, client.surface, "launcher-token"));
    const uint32_t surface = wl_proxy_get_id(reinterpret_cast<wl_proxy*>(client.surface));
    EXPECT_EQ(compositor.activations(), (std::vector<WaylandMockCompositor::Activation>{{"launcher-token", surface}}));
    // The toolkit's own queue goes on as before.
    EXPECT_GE(wl_display_roundtrip(client.display), 0);
}

TEST(WaylandActivation, falseWithoutTheProtocolOrAToken)
{
    WaylandMockCompositor withoutActivation({.activation = false});
    SurfaceClient client(withoutActivation.socket());
    ASSERT_TRUE(client.surface);
    EXPECT_FALSE(activateWithToken(client.display, client.surface, "launcher-token"));

    WaylandMockCompositor compositor;
    SurfaceClient other(compositor.socket());
    EXPECT_FALSE(activateWithToken(other.display, other.surface, ""));
    EXPECT_TRUE(compositor.activations().empty());
}

} // namespace
} // namespace mvx
