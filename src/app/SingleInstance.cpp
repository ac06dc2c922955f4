#include "app/SingleInstance.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace mvx {

namespace {

// "show\n", or "show TOKEN\n" with the second start's activation token.
constexpr char kShowRequest[] = "show";
constexpr size_t kMaxTokenLength = 255;
constexpr int kAnswerWaitMs = 3000;
constexpr int kPrivateNameTries = 8;

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

std::string randomSuffix()
{
    unsigned char bytes[8] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes))
        return {};
    std::string hex;
    for (unsigned char byte : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    return hex;
}

// '@' marks an abstract name.
socklen_t socketAddressOf(const std::string& name, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const bool abstract = name.front() == '@';
    const size_t length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path, name.data(), length);
    if (abstract)
        address.sun_path[0] = '\0';
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length + (abstract ? 0 : 1));
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// The other end of a connected local socket runs as this user.
bool peerIsThisUser(int fd)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer &&
           peer.uid == ::geteuid();
}

// A segment of this user's that no other user may open: only such a one was
// written by this user's own instances.
int openOwnSegment(const std::string& name, int flags)
{
    int fd = ::shm_open(name.c_str(), flags | O_CLOEXEC | O_NOFOLLOW, 0);
    struct stat facts {};
    if (fd >= 0 && (::fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode) || facts.st_uid != ::geteuid() ||
                    (facts.st_mode & 077) != 0))
        closeFd(fd);
    return fd;
}

// Tokens are opaque words of printable ASCII; anything else would not fit
// the request line.
bool usableToken(const std::string& token)
{
    return !token.empty() && token.size() <= kMaxTokenLength &&
           std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7f; });
}

std::string showRequest(const std::string& token)
{
    return std::string(kShowRequest) + (usableToken(token) ? " " + token : std::string()) + "\n";
}

// The request line, read until its line break within the answer's wait.
std::optional<std::string> readRequest(int fd)
{
    std::string line;
    char buffer[64];
    while (line.find('\n') == std::string::npos && line.size() <= kMaxTokenLength + sizeof kShowRequest + 1) {
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, kAnswerWaitMs) <= 0)
            return std::nullopt;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return std::nullopt;
        line.append(buffer, static_cast<size_t>(got));
    }
    const size_t end = line.find('\n');
    if (end == std::string::npos)
        return std::nullopt;
    return line.substr(0, end);
}

// The token of a show request; nothing when the line is no such request.
std::optional<std::string> tokenOfShowRequest(const std::string& line)
{
    if (line == kShowRequest)
        return std::string();
    const std::string prefix = std::string(kShowRequest) + " ";
    if (line.rfind(prefix, 0) != 0)
        return std::nullopt;
    const std::string token = line.substr(prefix.size());
    return usableToken(token) ? token : std::string();
}

} // namespace

SingleInstance::SingleInstance(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    lockPath_ = folder + ".morvanex-KLX-P2P.lock";
    const std::string tag = std::to_string(::geteuid()) + "-" + hashOf(lockPath_);
    agreedShmName_ = "/Brellwick_KLX-P2P-" + tag;
    shmName_ = agreedShmName_;
    socketAddress_ = folder + ".morvanex-KLX-P2P.socket";
    if (socketAddress_.size() >= sizeof(sockaddr_un::sun_path))
        socketAddress_ = "@morvanex-KLX-P2P-" + tag;
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
    lockFd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0)
        return Claim::SharedMemoryFailed;
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        shmName_ = notedSegmentName();
        shmFd_ = openOwnSegment(shmName_, O_RDONLY);
        return Claim::Other;
    }
    first_ = true;
    removeStaleSegment();
    if (!createSegment())
        return Claim::SharedMemoryFailed;
    noteSegmentName();
    void* mapped = ::mmap(nullptr, kSharedSize, PROT_READ | PROT_WRITE, MAP_SHARED, shmFd_, 0);
    if (mapped == MAP_FAILED)
        return Claim::MapFailed;
    shared_ = static_cast<char*>(mapped);
    std::memset(shared_, 0, kSharedSize);
    return Claim::First;
}

bool SingleInstance::createSegment()
{
    shmFd_ = ::shm_open(shmName_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (shmFd_ < 0 && errno == EEXIST)  // left by an instance of ours that did not end cleanly?
        shmFd_ = openOwnSegment(shmName_, O_RDWR);
    // Someone else holds the agreed name: a private name, noted in the lock file.
    for (int tries = 0; shmFd_ < 0 && tries < kPrivateNameTries; ++tries) {
        const std::string suffix = randomSuffix();
        if (suffix.empty())
            break;
        shmName_ = agreedShmName_ + "-" + suffix;
        shmFd_ = ::shm_open(shmName_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (shmFd_ < 0 && errno != EEXIST)
            break;
    }
    if (shmFd_ < 0) {
        shmName_ = agreedShmName_;
        first_ = false;  // nothing of ours to remove at the end
        return false;
    }
    return ::ftruncate(shmFd_, kSharedSize) == 0;
}

void SingleInstance::removeStaleSegment() const
{
    const std::string noted = notedSegmentName();
    if (noted == agreedShmName_)
        return;  // the agreed name is used again, or left for its other owner
    const int fd = openOwnSegment(noted, O_RDONLY);
    if (fd >= 0) {
        ::close(fd);
        ::shm_unlink(noted.c_str());
    }
}

std::string SingleInstance::notedSegmentName() const
{
    char buffer[256] = {};
    const ssize_t got = ::pread(lockFd_, buffer, sizeof buffer - 1, 0);
    const std::string noted(buffer, got > 0 ? std::strcspn(buffer, "\n") : 0);
    const std::string privatePrefix = agreedShmName_ + "-";
    const bool isPrivateName = noted.size() > privatePrefix.size() && noted.rfind(privatePrefix, 0) == 0 &&
                               noted.find('/', 1) == std::string::npos;
    return isPrivateName ? noted : agreedShmName_;
}

void SingleInstance::noteSegmentName() const
{
    const std::string line = shmName_ + "\n";
    if (::ftruncate(lockFd_, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(lockFd_, line.data(), line.size(), 0);
    }
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

bool SingleInstance::listen(std::function<void(const std::string&)> onShow)
{
    if (!first_ || listenFd_ >= 0)
        return false;
    const bool abstract = socketAddress_.front() == '@';
    struct stat facts {};
    // A socket left by an instance of ours that did not end cleanly goes; anything else stays.
    if (!abstract && ::lstat(socketAddress_.c_str(), &facts) == 0) {
        if (!S_ISSOCK(facts.st_mode) || ::unlink(socketAddress_.c_str()) != 0)
            return false;
    }
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address;
    const socklen_t length = socketAddressOf(socketAddress_, address);
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        (!abstract && ::chmod(socketAddress_.c_str(), 0600) != 0) || ::listen(listenFd_, 4) != 0 ||
        ::pipe2(wakeFds_, O_CLOEXEC) != 0) {
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
        int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        const auto request = peerIsThisUser(client) ? readRequest(client) : std::nullopt;
        if (const auto token = request ? tokenOfShowRequest(*request) : std::nullopt) {
            if (onShow_)
                onShow_(*token);
            [[maybe_unused]] const ssize_t written = ::send(client, "ok\n", 3, MSG_NOSIGNAL);
        }
        closeFd(client);
    }
}

void SingleInstance::stopListening()
{
    const bool listened = listenFd_ >= 0;
    if (listener_.joinable()) {
        [[maybe_unused]] const ssize_t written = ::write(wakeFds_[1], "x", 1);
        listener_.join();
    }
    closeFd(wakeFds_[0]);
    closeFd(wakeFds_[1]);
    closeFd(listenFd_);
    if (listened && socketAddress_.front() != '@')
        ::unlink(socketAddress_.c_str());
}

bool SingleInstance::askToShow(const std::string& activationToken) const
{
    const std::string request = showRequest(activationToken);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un address;
    const socklen_t length = socketAddressOf(socketAddress_, address);
    bool answered = false;
    // A socket another user put under this name hears nothing from us.
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 && peerIsThisUser(fd) &&
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        pollfd readable{fd, POLLIN, 0};
        char answer[4] = {};
        answered = ::poll(&readable, 1, kAnswerWaitMs) > 0 && ::read(fd, answer, 3) == 3;
    }
    closeFd(fd);
    return answered;
}

} // namespace mvx
