#include "app/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace mvx {

namespace {

constexpr char kShowRequest[] = "show\n";
constexpr int kAnswerWaitMs = 3000;

// FNV-1a: a short stable name for a folder.
std::string hashOf(const std::string& text)
{
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(hash));
    return buffer;
}

socklen_t abstractAddress(const std::string& name, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    // Abstract namespace: no file to leave behind, no path length limit to meet.
    const size_t length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

SingleInstance::SingleInstance(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    lockPath_ = folder + ".morvanex-KLX-P2P.lock";
    const std::string tag = std::to_string(::getuid()) + "-" + hashOf(lockPath_);
    shmName_ = "/Brellwick_KLX-P2P-" + tag;
    socketName_ = "morvanex-KLX-P2P-" + tag;
}

SingleInstance::~SingleInstance()
{
    stopListening();
    if (shared_)
        ::munmap(shared_, kSharedSize);
    closeFd(shmFd_);
    if (first_)
        ::shm_unlink(shmName_.c_str());
    closeFd(lockFd_);
}

std::string SingleInstance::lockFolderFor(const std::string& programFolder, bool programFolderChosen)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!programFolderChosen && runtime && *runtime)
        return runtime;
    return programFolder;
}

SingleInstance::Claim SingleInstance::claim()
{
    shmFd_ = ::shm_open(shmName_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (shmFd_ < 0 || ::ftruncate(shmFd_, kSharedSize) != 0)
        return Claim::SharedMemoryFailed;
    lockFd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0)
        return Claim::SharedMemoryFailed;
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0)
        return Claim::Other;
    first_ = true;
    void* mapped = ::mmap(nullptr, kSharedSize, PROT_READ | PROT_WRITE, MAP_SHARED, shmFd_, 0);
    if (mapped == MAP_FAILED)
        return Claim::MapFailed;
    shared_ = static_cast<char*>(mapped);
    std::memset(shared_, 0, kSharedSize);
    return Claim::First;
}

std::string SingleInstance::sharedText() const
{
    if (shmFd_ < 0)
        return {};
    char buffer[kSharedSize + 1] = {};
    if (::pread(shmFd_, buffer, kSharedSize, 0) < 0)
        return {};
    return buffer;
}

bool SingleInstance::listen(std::function<void()> onShow)
{
    if (!first_ || listenFd_ >= 0)
        return false;
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address;
    const socklen_t length = abstractAddress(socketName_, address);
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listenFd_, 4) != 0 || ::pipe2(wakeFds_, O_CLOEXEC) != 0) {
        closeFd(listenFd_);
        return false;
    }
    onShow_ = std::move(onShow);
    listener_ = std::thread([this] { serve(); });
    return true;
}

void SingleInstance::serve()
{
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        pollfd readable{client, POLLIN, 0};
        char request[sizeof kShowRequest] = {};
        if (::poll(&readable, 1, kAnswerWaitMs) > 0 && ::read(client, request, sizeof request - 1) > 0 &&
            std::strcmp(request, kShowRequest) == 0) {
            if (onShow_)
                onShow_();
            [[maybe_unused]] const ssize_t written = ::write(client, "ok\n", 3);
        }
        ::close(client);
    }
}

void SingleInstance::stopListening()
{
    if (listener_.joinable()) {
        [[maybe_unused]] const ssize_t written = ::write(wakeFds_[1], "x", 1);
        listener_.join();
    }
    closeFd(wakeFds_[0]);
    closeFd(wakeFds_[1]);
    closeFd(listenFd_);
}

bool SingleInstance::askToShow() const
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un address;
    const socklen_t length = abstractAddress(socketName_, address);
    bool answered = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        ::write(fd, kShowRequest, sizeof kShowRequest - 1) == static_cast<ssize_t>(sizeof kShowRequest - 1)) {
        pollfd readable{fd, POLLIN, 0};
        char answer[4] = {};
        answered = ::poll(&readable, 1, kAnswerWaitMs) > 0 && ::read(fd, answer, 3) == 3;
    }
    ::close(fd);
    return answered;
}

} // namespace mvx
