#pragma once

#include <bitset>

namespace mvx {

// Where a lock or an unlock of the user's session was heard.
enum class LockSource {
    LogindSignal,            // logind's Lock and Unlock signals: requests the desktop's locker answers
    LogindLockedHint,        // the session's LockedHint, set by the locker
    FreedesktopScreenSaver,  // org.freedesktop.ScreenSaver ActiveChanged
    GnomeScreenSaver,        // org.gnome.ScreenSaver ActiveChanged
};

// Whether the session is locked, from every source that reports it. Each
// source keeps its own state, so the session counts as unlocked only when
// every source that reported a lock has reported the unlock too (one desktop
// sends a screen saver's ActiveChanged and LockedHint for the same lock, in
// either order). logind's Lock signal is only a request to the locker: any
// other source's unlock answers it, since many desktops never send Unlock.
// Sleep counts as locked until the wake.
class SessionLockState {
public:
    enum class Change { None, Locked, Unlocked };

    Change lock(LockSource source);
    Change unlock(LockSource source);
    Change sleep();
    Change wake();

    bool locked() const { return held_.any() || asleep_; }

private:
    Change after(bool wasLocked) const;

    std::bitset<4> held_;
    bool asleep_ = false;
};

} // namespace mvx
