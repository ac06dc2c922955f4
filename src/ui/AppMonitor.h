#pragma once

#include "platform/MountPoller.h"

#include <QObject>
#include <QTimer>

#include <string>

namespace mvx {
class CTessaryApp;
struct OptionsOutcome;
}

namespace mvx::ui {

class QtAppFrame;

// What the program watches while it runs: user activity anywhere in the
// program and the idle timer's tick, new removable media, and logind's
// Lock, Unlock and PrepareForSleep signals on the system bus (where there
// is one). Each goes to the start-up logic, which decides.
class AppMonitor : public QObject {
    Q_OBJECT
public:
    AppMonitor(CTessaryApp& app, QtAppFrame& frame);

    // The idle action closed the program.
    bool closedByIdle() const { return closedByIdle_; }
    // The options dialog was confirmed: its outcome, and the specific folder before it.
    void optionsApplied(const OptionsOutcome& outcome, const std::string& previousFolder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void prepareForSleep(bool starting);
    void sessionLock();
    void sessionUnlock();

private:
    void tick();
    void closeForIdle();
    void connectLogind();
    bool batchRunning() const;

    CTessaryApp& app_;
    QtAppFrame& frame_;
    QTimer timer_;
    MountPoller mounts_;
    int ticks_ = 0;
    bool closedByIdle_ = false;
};

} // namespace mvx::ui
