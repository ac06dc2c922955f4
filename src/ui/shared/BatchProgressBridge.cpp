#include "ui/shared/BatchProgressBridge.h"

namespace mvx::ui {

// Signals emitted on the worker reach the window's slots queued, since the
// receivers live on the window's thread.
void BatchProgressBridge::setRange(int count)
{
    if (rangeHook_)
        rangeHook_(count);
    emit rangeSet(count);
}
void BatchProgressBridge::step() { emit stepped(); }
void BatchProgressBridge::reset() { emit resetDone(); }
void BatchProgressBridge::openWait(const std::string& text) { emit waitOpened(QString::fromStdString(text)); }
void BatchProgressBridge::progressText(const std::string& text)
{
    emit progressTextChanged(QString::fromStdString(text));
}
void BatchProgressBridge::closeWait() { emit waitClosed(); }
void BatchProgressBridge::refresh() { emit refreshWanted(); }

} // namespace mvx::ui
