#include "ui/app/QtAppFrame.h"

#include "ui/app/WindowActivation.h"
#include "ui/keys/CKeygenWizard.h"
#include "ui/main/CTessaryDialogMini.h"
#include "ui/main/CTessaryDlg.h"
#include "ui/shared/QtInteraction.h"
#include "workbench/KeyPairChoice.h"
#include "workbench/WorkbenchCommands.h"

#include <QApplication>

#include <QStatusBar>
#include <QTimer>

#include <utility>

namespace mvx::ui {

QtAppFrame::QtAppFrame(AppSession& session, QtInteraction& dialogs, std::function<void()> closed)
    : session_(session), dialogs_(dialogs), closed_(std::move(closed))
{
}

QtAppFrame::~QtAppFrame() { dialogs_.setParentWindow(nullptr); }

CTessaryDlg& QtAppFrame::makeWindow()
{
    if (window_)
        return *window_;
    window_ = std::make_unique<CTessaryDlg>(session_);
    CTessaryDlg* window = window_.get();
    dialogs_.setParentWindow(window);
    dialogs_.setStatusSink([window](const QString& text) { window->statusBar()->showMessage(text); });
    QObject::connect(window, &CTessaryDlg::closed, window, [this] { closed_(); }, Qt::QueuedConnection);
    if (!studioPaths_.empty())
        window->addToStudio(std::exchange(studioPaths_, {}));
    if (reportKeys_)
        QTimer::singleShot(0, window, [window] {
            window->reportOutdatedKeys();
            window->offerStrayKeys();
        });
    return *window;
}

void QtAppFrame::addToStudio(const std::vector<std::string>& paths)
{
    if (window_)
        window_->addToStudio(paths);
    else
        studioPaths_.insert(studioPaths_.end(), paths.begin(), paths.end());
}

void QtAppFrame::bringToFront(const std::string& activationToken)
{
    QMetaObject::invokeMethod(qApp, [this, activationToken] {
        if (!window_)
            return;
        QWidget* shown = window_->miniWindow() && window_->miniWindow()->isVisible()
                             ? static_cast<QWidget*>(window_->miniWindow())
                             : static_cast<QWidget*>(window_.get());
        WindowActivation::bringForward(*shown, activationToken);
    });
}

bool QtAppFrame::serveShellRequest(CommandLine::Switch kind, const std::vector<std::string>& paths)
{
    using Switch = CommandLine::Switch;
    if (kind == Switch::Repair)
        return false;
    CTessaryDlg& window = makeWindow();
    window.show();
    if (kind == Switch::Forward || kind == Switch::History) {
        if (kind == Switch::History)
            window.showFileLogs(paths);
        else
            window.forwardFiles(paths);
        QMetaObject::invokeMethod(&window, &QWidget::close, Qt::QueuedConnection);
        return true;
    }
    return window.runBatch(
        [kind, paths](BatchContext& context) { WorkbenchCommands(context).shellRequest(kind, paths); },
        [&window] { QMetaObject::invokeMethod(&window, &QWidget::close, Qt::QueuedConnection); });
}

void QtAppFrame::offerKeySetWizard() { runKeySetWizard(nullptr, session_); }

void QtAppFrame::locateMovedKeySet() { KeyPairChoice(session_).locateMovedKeyPair(); }

void QtAppFrame::reportOutdatedKeys() { reportKeys_ = true; }

void QtAppFrame::showMainWindow() { makeWindow().show(); }

void QtAppFrame::showMiniWindow() { makeWindow().showMiniWindow(); }

} // namespace mvx::ui
