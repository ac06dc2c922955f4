#include "ui/shared/BatchRunner.h"

#include <QCoreApplication>
#include <QThread>

namespace mvx::ui {

BatchRunner::BatchRunner(QObject* parent) : QObject(parent) {}

BatchRunner::~BatchRunner() { waitForIdle(); }

bool BatchRunner::start(std::function<void()> job, std::function<void()> done)
{
    if (worker_)
        return false;
    abort_ = false;
    worker_ = QThread::create(std::move(job));
    connect(worker_, &QThread::finished, this, [this, done = std::move(done)] {
        worker_->deleteLater();
        worker_ = nullptr;
        if (done)
            done();
        emit busyChanged(false);
    });
    emit busyChanged(true);
    worker_->start();
    return true;
}

void BatchRunner::waitForIdle()
{
    // The worker may be waiting for an answer from this thread: serve events
    // between short waits until its end has been handled.
    while (worker_) {
        abort_ = true;
        worker_->wait(20);
        QCoreApplication::processEvents();
    }
}

} // namespace mvx::ui
