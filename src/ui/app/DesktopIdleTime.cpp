#include "ui/app/DesktopIdleTime.h"

#ifdef MORVANEX_HAVE_XSS
#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#endif

namespace mvx::ui {

#ifdef MORVANEX_HAVE_XSS

struct DesktopIdleTime::Server {
    Display* display = nullptr;
    XScreenSaverInfo* info = nullptr;
};

DesktopIdleTime::DesktopIdleTime()
{
    // Without a window system (--version without a display) the application is only a QCoreApplication.
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    int event = 0;
    int error = 0;
    if (!display || !XScreenSaverQueryExtension(display, &event, &error))
        return;
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    if (info)
        server_ = new Server{display, info};
}

DesktopIdleTime::~DesktopIdleTime()
{
    if (!server_)
        return;
    XFree(server_->info);
    delete server_;
}

std::optional<int64_t> DesktopIdleTime::seconds() const
{
    if (!server_ || !XScreenSaverQueryInfo(server_->display, DefaultRootWindow(server_->display), server_->info))
        return std::nullopt;
    return static_cast<int64_t>(server_->info->idle / 1000);
}

#else

struct DesktopIdleTime::Server {};
DesktopIdleTime::DesktopIdleTime() = default;
DesktopIdleTime::~DesktopIdleTime() = default;
std::optional<int64_t> DesktopIdleTime::seconds() const { return std::nullopt; }

#endif

} // namespace mvx::ui
