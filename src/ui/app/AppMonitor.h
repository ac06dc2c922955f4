#pragma once

#include "platform/MountPoller.h"
#include "ui/app/DesktopWatch.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

namespace mvx {
class CTessaryApp;
}

namespace mvx::ui {

class QtAppFrame;

// What the program watches while it runs: user activity in the program and
// on the desktop (DesktopIdleSources) with the idle timer's tick, new
// removable media, and every report of the session's lock and of sleep
// (SessionLockSignals). Each goes to the start-up logic, which decides.
// SIGTERM, SIGHUP and SIGINT close the windows, so the exit runs as after a
// close.
class AppMonitor : public QObject {
    Q_OBJECT
public:
    // hints and mounts: where the login session and new media are looked for.
    AppMonitor(CTessaryApp& app, QtAppFrame& frame, const LoginSessionHints& hints = {},
               MountPoller mounts = MountPoller());

    // The idle action closed the program.
    bool closedByIdle() const { return closedByIdle_; }
    const DesktopWatch& desktop() const { return *desktop_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void terminationRequested();

private:
    void tick();
    void closeForIdle();
    void closeWindows();
    void watchTerminationSignals();
    void watchDesktop(const LoginSessionHints& hints);
    void lockReported(LockSource source);
    void sleepReported(bool starting);
    void stopBatchBeforeLock();
    bool batchRunning() const;

    CTessaryApp& app_;
    QtAppFrame& frame_;
    QTimer timer_;
    MountPoller mounts_;
    std::unique_ptr<DesktopWatch> desktop_;
    int ticks_ = 0;
    bool closedByIdle_ = false;
    std::unique_ptr<QSocketNotifier> signals_;
};

} // namespace mvx::ui
