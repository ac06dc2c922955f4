#pragma once

#include <string>

class QWidget;

namespace mvx::ui {

// Brings a window forward at a second start's request. A Wayland client
// cannot raise itself: the compositor activates the window with the token
// the second start's launcher gave it (xdg-activation-v1). Without a token,
// or where the compositor lacks the protocol, the window asks for the user's
// attention; elsewhere (X11) it asks the window manager for the focus, and
// for attention should the window manager refuse.
class WindowActivation {
public:
    enum class Outcome { ActivatedWithToken, AttentionAsked, FocusAsked };

    static Outcome bringForward(QWidget& window, const std::string& activationToken);
};

} // namespace mvx::ui
