#pragma once

#include <QObject>

#include <atomic>
#include <functional>

class QThread;

namespace mvx::ui {

// Runs one batch at a time on a worker thread, so the window keeps painting
// and answering; its questions reach the window through UiThreadInteraction.
// Stop sets the abort flag the batches look at between files.
class BatchRunner : public QObject {
    Q_OBJECT
public:
    explicit BatchRunner(QObject* parent = nullptr);
    ~BatchRunner() override;

    // False (and nothing runs) while another batch is running. done runs on
    // the window's thread after the job has ended.
    bool start(std::function<void()> job, std::function<void()> done = {});
    void stop() { abort_ = true; }
    bool busy() const { return worker_ != nullptr; }
    // Waits for a running batch (the window is closing).
    void waitForIdle();

    const std::atomic<bool>* abortFlag() const { return &abort_; }

signals:
    void busyChanged(bool busy);

private:
    QThread* worker_ = nullptr;
    std::atomic<bool> abort_ = false;
};

} // namespace mvx::ui
