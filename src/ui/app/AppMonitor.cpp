#include "ui/app/AppMonitor.h"

#include "ui/app/QtAppFrame.h"
#include "ui/main/CTessaryDialogMini.h"
#include "ui/main/CTessaryDlg.h"
#include "workbench/CTessaryApp.h"
#include "workbench/OptionsApply.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace mvx::ui {

namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

constexpr int kTickMs = 1000;
constexpr int kMountPollTicks = 2;

} // namespace

AppMonitor::AppMonitor(CTessaryApp& app, QtAppFrame& frame, const LoginSessionHints& hints, MountPoller mounts)
    : app_(app), frame_(frame), mounts_(std::move(mounts))
{
    qApp->installEventFilter(this);
    mounts_.poll();  // what is mounted at start is not new
    connect(&timer_, &QTimer::timeout, this, &AppMonitor::tick);
    timer_.start(kTickMs);
    watchDesktop(hints);
    watchTerminationSignals();
    if (CTessaryDlg* window = frame_.window()) {
        connect(window, &CTessaryDlg::optionsApplied, this,
                [this](const OptionsChange& change) { app_.applyOptions(change); });
        // The window may outlive the monitor.
        window->setAboutDetails([monitor = QPointer<AppMonitor>(this)](const CMessageTable& table) {
            return monitor ? monitor->desktop().describe(table) : std::string();
        });
    }
}

bool AppMonitor::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin: app_.userActivity(); break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

bool AppMonitor::batchRunning() const { return frame_.window() && frame_.window()->batchRunning(); }

void AppMonitor::tick()
{
    CTessaryDlg* window = frame_.window();
    CTessaryDialogMini* mini = window ? window->miniWindow() : nullptr;
    // The action waits while no window is there to close (the mini window
    // hidden on its way back to the main window, say).
    const bool shown = window && (window->isVisible() || (mini && mini->isVisible()));
    if (const auto idle = desktop_->idle().seconds())
        app_.desktopIdle(*idle);
    if (window && !batchRunning() && app_.idleTick(shown))
        closeForIdle();
    if (++ticks_ % kMountPollTicks == 0 && !mounts_.poll().empty() && !batchRunning())
        app_.removableMediumMounted();
}

void AppMonitor::watchTerminationSignals()
{
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    signals_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(signals_.get(), &QSocketNotifier::activated, this, &AppMonitor::terminationRequested);
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

void AppMonitor::terminationRequested()
{
    char bytes[16];
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (CTessaryDlg* window = frame_.window())
        window->stopBatch();
    closeWindows();
}

void AppMonitor::closeForIdle()
{
    closedByIdle_ = true;
    closeWindows();
}

void AppMonitor::closeWindows()
{
    CTessaryDlg* window = frame_.window();
    if (!window)
        return;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != window && top != window->miniWindow() && top->isVisible())
            top->close();
    if (window->miniWindow() && window->miniWindow()->isVisible())
        window->miniWindow()->close();
    else
        window->close();
}

void AppMonitor::watchDesktop(const LoginSessionHints& hints)
{
    SessionLockSignals::Reports reports;
    reports.locked = [this](LockSource source) { lockReported(source); };
    reports.unlocked = [this](LockSource source) { app_.unlockReported(source); };
    reports.sleep = [this](bool starting) { sleepReported(starting); };
    reports.sleepDelayReason = QString::fromStdString(app_.sleepDelayReason());
    desktop_ = std::make_unique<DesktopWatch>(std::move(reports), hints);
    app_.lockWatchStarted(desktop_->sessionFound());
    desktop_->locks().reportLocksHeld();
}

// The folder is encrypted only after the batch in hand has stopped.
void AppMonitor::stopBatchBeforeLock()
{
    CTessaryDlg* window = frame_.window();
    if (window && !app_.sessionLocked())
        window->stopBatch();
}

void AppMonitor::lockReported(LockSource source)
{
    stopBatchBeforeLock();
    app_.lockReported(source);
}

void AppMonitor::sleepReported(bool starting)
{
    if (!starting) {
        app_.wokenUp();
        return;
    }
    stopBatchBeforeLock();
    app_.sleepStarts();
}

} // namespace mvx::ui
