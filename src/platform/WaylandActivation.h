#pragma once

#include <string>

struct wl_display;
struct wl_surface;

namespace mvx {

// Asks a Wayland compositor to activate a surface with an activation token
// (xdg-activation-v1): how a window is raised at another program's request,
// since a Wayland client cannot raise itself. display and surface are the
// toolkit's; the protocol is bound on a queue of its own, so the toolkit's
// events are left alone. False when the compositor lacks the protocol.
bool activateWithToken(wl_display* display, wl_surface* surface, const std::string& token);

} // namespace mvx
