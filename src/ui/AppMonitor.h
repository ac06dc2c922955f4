#pragma once

#include "platform/MountPoller.h"
#include "ui/DesktopIdleTime.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

namespace mvx {
class CTessaryApp;
}

namespace mvx::ui {

class QtAppFrame;

// What the program watches while it runs: user activity anywhere in the
// program and on the desktop (where X tells it) and the idle timer's tick, new removable media, and logind's
// Lock, Unlock and PrepareForSleep signals on the system bus (where there
// is one). Each goes to the start-up logic, which decides. SIGTERM, SIGHUP
// and SIGINT close the windows, so the exit runs as after a close.
class AppMonitor : public QObject {
    Q_OBJECT
public:
    AppMonitor(CTessaryApp& app, QtAppFrame& frame);

    // The idle action closed the program.
    bool closedByIdle() const { return closedByIdle_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void terminationRequested();
    void prepareForSleep(bool starting);
    void sessionLock();
    void sessionUnlock();

private:
    void tick();
    void closeForIdle();
    void closeWindows();
    void watchTerminationSignals();
    void connectLogind();
    bool batchRunning() const;

    CTessaryApp& app_;
    QtAppFrame& frame_;
    QTimer timer_;
    MountPoller mounts_;
    DesktopIdleTime desktopIdle_;
    int ticks_ = 0;
    bool closedByIdle_ = false;
    std::unique_ptr<QSocketNotifier> signals_;
};

} // namespace mvx::ui
