#pragma once

#include "ui/app/DesktopIdleSources.h"
#include "ui/app/SessionLockSignals.h"

#include <string>

namespace mvx {
class CMessageTable;
}

namespace mvx::ui {

// The desktop's lock reports and idle sources together: the idle sources
// read the login session the lock reports found.
class DesktopWatch {
public:
    DesktopWatch(SessionLockSignals::Reports reports, const LoginSessionHints& hints);

    SessionLockSignals& locks() { return locks_; }
    DesktopIdleSources& idle() { return idle_; }
    bool sessionFound() const { return !locks_.sessionPath().isEmpty(); }

    // Two lines naming the idle and lock sources found.
    std::string describe(const CMessageTable& table) const;

private:
    SessionLockSignals locks_;
    DesktopIdleSources idle_;
};

} // namespace mvx::ui
