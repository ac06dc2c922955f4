#pragma once

#include "workbench/IBatchProgress.h"

#include <QObject>
#include <QString>

#include <functional>

namespace mvx::ui {

// The batches' progress calls, posted from the worker to the window's thread
// as signals (in the order the batch made them).
class BatchProgressBridge : public QObject, public IBatchProgress {
    Q_OBJECT
public:
    using QObject::QObject;

    // Runs on the batch's thread when the batch has counted its files.
    void setRangeHook(std::function<void(int)> hook) { rangeHook_ = std::move(hook); }

    void setRange(int count) override;
    void step() override;
    void reset() override;
    void openWait(const std::string& text) override;
    void progressText(const std::string& text) override;
    void closeWait() override;
    void refresh() override;

signals:
    void rangeSet(int count);
    void stepped();
    void resetDone();
    void waitOpened(const QString& text);
    void progressTextChanged(const QString& text);
    void waitClosed();
    void refreshWanted();

private:
    std::function<void(int)> rangeHook_;
};

} // namespace mvx::ui
