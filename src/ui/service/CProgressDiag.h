#pragma once

#include "workbench/ServiceAction.h"

#include <QDialog>

#include <mutex>

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;
class QTimer;

namespace mvx {
class AppSession;
}

namespace mvx::ui {

// The progress window of one web-service request: the request runs on a
// worker, the window shows its stage (or the file being uploaded) and the
// bytes sent, refreshed every 500 ms; Cancel ends the request under way and
// the window closes once the worker has ended.
class CProgressDiag : public QDialog {
    Q_OBJECT
public:
    CProgressDiag(AppSession& session, ServiceAction::Request request, QWidget* parent = nullptr);
    ~CProgressDiag() override;

    // Shows the window until the request has ended; its result.
    ServiceAction::Result run();
    bool cancelled() const { return cancelled_; }

    void reject() override;

private:
    void refresh();
    void showStage(const std::string& line);
    void relabel();

    AppSession& session_;
    ServiceAction action_;
    ServiceAction::Result result_;
    bool cancelled_ = false;
    mutable std::mutex lock_;
    net::CProgressWorker::Snapshot latest_;
    QThread* worker_ = nullptr;
    QTimer* timer_;
    QLabel* stage_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

} // namespace mvx::ui
