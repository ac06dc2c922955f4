#pragma once

#include <functional>
#include <string>
#include <thread>

namespace mvx {

// One running program per user and program folder: a lock file held with
// flock() for the program's lifetime, the 1,024-byte shared memory segment
// that carries comma-separated paths to the running program, and a local
// socket on which a second plain start asks the first to show its window.
//
// Nothing another local user made is used: the segment is created
// exclusively, and when its agreed name is taken by someone else the first
// instance makes a private one and notes its name in the lock file; a segment
// is read only when this user owns it and no one else may open it. Both ends
// of the socket check the other's user id.
class SingleInstance {
public:
    static constexpr size_t kSharedSize = 1024;

    enum class Claim { First, Other, SharedMemoryFailed, MapFailed };

    // folder: where the lock file and the socket live; the segment's name is
    // made from it, so another program folder is another instance.
    explicit SingleInstance(std::string folder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // The lock folder the program uses: $XDG_RUNTIME_DIR unless a program
    // folder was chosen with MORVANEX_HOME or --home, else the program folder.
    static std::string lockFolderFor(const std::string& programFolder, bool programFolderChosen);

    // Takes the lock. The first instance creates and clears the segment;
    // another opens the segment the first noted, when it is this user's own.
    Claim claim();
    // The segment's text (up to its first zero byte); empty without a segment.
    std::string sharedText() const;
    // First instance: answers requests on the socket from a listener thread;
    // onShow runs on that thread with the activation token the second start
    // handed over (empty when it had none).
    bool listen(std::function<void(const std::string& activationToken)> onShow);
    // Another instance runs: asks it to show its window, with the launcher's
    // activation token (XDG_ACTIVATION_TOKEN) that lets a Wayland compositor
    // raise it; a token that is not a plain word is left out. True when it answered.
    bool askToShow(const std::string& activationToken = {}) const;

    // The segment's agreed name, the one in use, and the socket's address
    // (a path, or an abstract name starting with '@' when the folder's path is too long).
    const std::string& lockPath() const { return lockPath_; }
    const std::string& agreedSegmentName() const { return agreedShmName_; }
    const std::string& segmentName() const { return shmName_; }
    const std::string& socketAddress() const { return socketAddress_; }

private:
    bool createSegment();
    // The private segment of an instance of ours that did not end cleanly.
    void removeStaleSegment() const;
    std::string notedSegmentName() const;
    void noteSegmentName() const;
    void stopListening();
    void serve();

    std::string lockPath_;
    std::string agreedShmName_;
    std::string shmName_;
    std::string socketAddress_;
    int lockFd_ = -1;
    int shmFd_ = -1;
    char* shared_ = nullptr;
    bool first_ = false;
    int listenFd_ = -1;
    int wakeFds_[2] = {-1, -1};
    std::function<void(const std::string&)> onShow_;
    std::thread listener_;
};

} // namespace mvx
