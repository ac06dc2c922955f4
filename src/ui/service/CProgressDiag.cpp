#include "ui/service/CProgressDiag.h"

#include "app/Msg.h"
#include "workbench/AppSession.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace mvx::ui {

CProgressDiag::CProgressDiag(AppSession& session, ServiceAction::Request request, QWidget* parent)
    : QDialog(parent), session_(session), action_(session, std::move(request)), timer_(new QTimer(this)),
      stage_(new QLabel(this)), bar_(new QProgressBar(this))
{
    setObjectName("CProgressDiag");
    stage_->setObjectName("stage");
    stage_->setMinimumWidth(320);
    bar_->setObjectName("sentBytes");
    bar_->setRange(0, 0);
    auto* buttons = new QDialogButtonBox(this);
    cancel_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    cancel_->setObjectName("cancel");
    connect(buttons, &QDialogButtonBox::rejected, this, &CProgressDiag::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stage_);
    layout->addWidget(bar_);
    layout->addWidget(buttons);
    timer_->setInterval(net::CProgressWorker::kRefreshMilliseconds);
    connect(timer_, &QTimer::timeout, this, &CProgressDiag::refresh);
    relabel();
}

CProgressDiag::~CProgressDiag()
{
    if (worker_) {
        action_.stop();
        worker_->wait();
    }
}

void CProgressDiag::relabel()
{
    setWindowTitle(QString::fromStdString(session_.messenger().text(Msg::AppCaption)));
    showStage(session_.messenger().text(Msg::WebStarting));
    cancel_->setText(QString::fromStdString(session_.messenger().text(Msg::Cancel)));
}

ServiceAction::Result CProgressDiag::run()
{
    worker_ = QThread::create([this] {
        result_ = action_.runWithSnapshots([this](const net::CProgressWorker::Snapshot& snapshot) {
            std::lock_guard lock(lock_);
            latest_ = snapshot;
        });
    });
    connect(worker_, &QThread::finished, this, [this] {
        timer_->stop();
        worker_->deleteLater();
        worker_ = nullptr;
        done(cancelled_ ? QDialog::Rejected : QDialog::Accepted);
    });
    timer_->start();
    worker_->start();
    exec();
    return result_;
}

void CProgressDiag::refresh()
{
    net::CProgressWorker::Snapshot snapshot;
    {
        std::lock_guard lock(lock_);
        snapshot = latest_;
    }
    showStage(snapshot.fileLine.empty() ? snapshot.stageText : snapshot.fileLine);
    if (snapshot.totalBytes == 0)
        return;
    bar_->setRange(0, 1000);
    bar_->setValue(static_cast<int>(std::min<uint64_t>(snapshot.postedBytes, snapshot.totalBytes) * 1000 /
                                    snapshot.totalBytes));
}

// The stage lines have Japanese texts only; in English the window says that it works.
void CProgressDiag::showStage(const std::string& line)
{
    stage_->setText(QString::fromStdString(line.empty() ? session_.messenger().text(Msg::ServiceWorking) : line));
}

void CProgressDiag::reject()
{
    // The window stays until the worker has ended, so nothing outlives it.
    if (!worker_)
        return QDialog::reject();
    cancelled_ = true;
    cancel_->setEnabled(false);
    action_.stop();
}

} // namespace mvx::ui
