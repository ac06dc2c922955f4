#include "ui/AppMonitor.h"

#include "ui/CTessaryDialogMini.h"
#include "ui/CTessaryDlg.h"
#include "ui/QtAppFrame.h"
#include "workbench/CTessaryApp.h"
#include "workbench/OptionsApply.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QEvent>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

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
const char* const kLogind = "org.freedesktop.login1";

} // namespace

AppMonitor::AppMonitor(CTessaryApp& app, QtAppFrame& frame) : app_(app), frame_(frame)
{
    qApp->installEventFilter(this);
    mounts_.poll();  // what is mounted at start is not new
    connect(&timer_, &QTimer::timeout, this, &AppMonitor::tick);
    timer_.start(kTickMs);
    connectLogind();
    watchTerminationSignals();
    if (CTessaryDlg* window = frame_.window())
        connect(window, &CTessaryDlg::optionsApplied, this,
                [this](const OptionsChange& change) { app_.applyOptions(change); });
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
    if (const auto idle = desktopIdle_.seconds())
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

void AppMonitor::connectLogind()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    bus.connect(kLogind, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                SLOT(prepareForSleep(bool)));
    QDBusInterface manager(kLogind, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", bus);
    const QDBusReply<QDBusObjectPath> session = manager.call("GetSessionByPID", static_cast<uint>(::getpid()));
    if (!session.isValid())
        return;
    const QString path = session.value().path();
    bus.connect(kLogind, path, "org.freedesktop.login1.Session", "Lock", this, SLOT(sessionLock()));
    bus.connect(kLogind, path, "org.freedesktop.login1.Session", "Unlock", this, SLOT(sessionUnlock()));
}

void AppMonitor::prepareForSleep(bool starting)
{
    if (starting)
        sessionLock();
    else
        sessionUnlock();
}

void AppMonitor::sessionLock()
{
    if (CTessaryDlg* window = frame_.window())
        window->stopBatch();
    app_.sessionLocked();
}

void AppMonitor::sessionUnlock() { app_.sessionUnlocked(); }


} // namespace mvx::ui
