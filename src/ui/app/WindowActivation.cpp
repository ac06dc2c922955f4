#include "ui/app/WindowActivation.h"

#include "platform/WaylandActivation.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

namespace mvx::ui {

namespace {

bool onWayland() { return QGuiApplication::platformName().startsWith(QStringLiteral("wayland")); }

// Qt 6.4 has no public way to hand a token to its xdg-activation: the
// request goes through the connection and surface of its Wayland platform.
bool activateOnWayland(QWidget& window, const std::string& token)
{
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    QWindow* handle = window.windowHandle();
    if (!native || !handle)
        return false;
    auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    auto* surface = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", handle));
    return activateWithToken(display, surface, token);
}

} // namespace

WindowActivation::Outcome WindowActivation::bringForward(QWidget& window, const std::string& activationToken)
{
    window.show();
    window.raise();
    if (onWayland()) {
        if (!activationToken.empty() && activateOnWayland(window, activationToken))
            return Outcome::ActivatedWithToken;
        QApplication::alert(&window);
        return Outcome::AttentionAsked;
    }
    const bool wasActive = window.isActiveWindow();
    window.activateWindow();
    // Taken back by Qt once the window has the focus.
    if (!wasActive)
        QApplication::alert(&window);
    return Outcome::FocusAsked;
}

} // namespace mvx::ui
