#pragma once

#include <string>

namespace mvx {

// The progress bar and the wait window of a batch. Every call is optional
// for a front end: the default does nothing.
class IBatchProgress {
public:
    virtual ~IBatchProgress() = default;
    virtual void setRange(int count) { (void)count; }
    virtual void step() {}
    virtual void reset() {}
    virtual void openWait(const std::string& text) { (void)text; }
    // The per-file line of the wait window.
    virtual void progressText(const std::string& text) { (void)text; }
    virtual void closeWait() {}
    // The window's file pane and lists are redrawn.
    virtual void refresh() {}
};

} // namespace mvx
