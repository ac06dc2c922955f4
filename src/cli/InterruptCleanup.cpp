#include "cli/InterruptCleanup.h"

#include "workbench/PlainTempFolders.h"

#include <pthread.h>

namespace mvx::cli {

namespace {

// SIGUSR2 from the destructor only wakes the watcher up to end it.
constexpr int kQuit = SIGUSR2;

} // namespace

InterruptCleanup::InterruptCleanup()
{
    sigemptyset(&signals_);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, kQuit})
        sigaddset(&signals_, sig);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    watcher_ = std::thread([set = signals_] {
        int sig = 0;
        if (sigwait(&set, &sig) != 0 || sig == kQuit)
            return;
        PlainTempFolders::destroyAll();
        std::signal(sig, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, sig);
        pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
        std::raise(sig);
    });
}

InterruptCleanup::~InterruptCleanup()
{
    pthread_kill(watcher_.native_handle(), kQuit);
    watcher_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

} // namespace mvx::cli
