#pragma once

#include <functional>
#include <string>
#include <thread>

namespace mvx {

// One running program per user and program folder: a lock file held with
// flock() for the program's lifetime, the 1,024-byte shared memory segment
// that carries comma-separated paths to the running program, and a local
// socket on which a second plain start asks the first to show its window.
class SingleInstance {
public:
    static constexpr size_t kSharedSize = 1024;

    enum class Claim { First, Other, SharedMemoryFailed, MapFailed };

    // folder: where the lock file lives; the segment's and the socket's names
    // are made from it, so another program folder is another instance.
    explicit SingleInstance(std::string folder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // The lock folder the program uses: $XDG_RUNTIME_DIR unless a program
    // folder was chosen with MORVANEX_HOME or --home, else the program folder.
    static std::string lockFolderFor(const std::string& programFolder, bool programFolderChosen);

    // Creates the segment and takes the lock. The first instance clears the segment.
    Claim claim();
    // The segment's text (up to its first zero byte).
    std::string sharedText() const;
    // First instance: answers requests on the socket from a listener thread;
    // onShow runs on that thread.
    bool listen(std::function<void()> onShow);
    // Another instance runs: asks it to show its window. True when it answered.
    bool askToShow() const;

private:
    void stopListening();
    void serve();

    std::string lockPath_;
    std::string shmName_;
    std::string socketName_;
    int lockFd_ = -1;
    int shmFd_ = -1;
    char* shared_ = nullptr;
    bool first_ = false;
    int listenFd_ = -1;
    int wakeFds_[2] = {-1, -1};
    std::function<void()> onShow_;
    std::thread listener_;
};

} // namespace mvx
