#pragma once

#include "app/IdleSourceChain.h"
#include "platform/WaylandIdleNotify.h"
#include "ui/app/DesktopIdleTime.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace mvx::ui {

// The desktop's idle time from the first source that answers: the X screen
// saver extension (an X11 session; under Wayland it sees only X programs),
// GNOME's idle monitor (org.gnome.Mutter.IdleMonitor), the compositor's
// ext-idle-notify-v1 (KDE, wlroots desktops), and logind's IdleHint of the
// session. Without any, the idle timer counts the program's own input.
class DesktopIdleSources {
public:
    // sessionPath: the login session's object (empty when none was found).
    explicit DesktopIdleSources(const QString& sessionPath);

    std::optional<int64_t> seconds() { return chain_.seconds(); }
    // The sources there at the start, for the user to see; empty when only
    // the program's own input counts.
    const QStringList& found() const { return found_; }

private:
    void add(const QString& name, bool there, IdleSourceChain::Probe probe);

    DesktopIdleTime x11_;
    std::unique_ptr<WaylandIdleNotify> wayland_;
    QString sessionPath_;
    IdleSourceChain chain_;
    QStringList found_;
};

} // namespace mvx::ui
