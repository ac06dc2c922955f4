#pragma once

#include <csignal>
#include <thread>

namespace mvx::cli {

// While alive, SIGINT, SIGTERM and SIGHUP (the terminal closed) no longer end
// the process at once: a thread of its own receives them, destroys the
// temporary plain-text folders of opening in place and then ends the process
// by the same signal. Made before any other thread is started.
class InterruptCleanup {
public:
    InterruptCleanup();
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;

private:
    sigset_t signals_{};
    sigset_t previous_{};
    std::thread watcher_;
};

} // namespace mvx::cli
