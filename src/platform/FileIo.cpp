#include "platform/FileIo.h"

#include "platform/TextFields.h"

#include <atomic>
#include <climits>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

long long readFully(int fd, void* buffer, size_t length)
{
    auto* p = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < length) {
        ssize_t n = ::read(fd, p + done, length - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<long long>(done);
}

bool writeFully(int fd, const void* buffer, size_t length)
{
    const auto* p = static_cast<const uint8_t*>(buffer);
    size_t done = 0;
    while (done < length) {
        ssize_t n = ::write(fd, p + done, length - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool preadFully(int fd, void* buffer, size_t length, uint64_t offset)
{
    auto* p = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < length) {
        ssize_t n = ::pread(fd, p + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool pwriteFully(int fd, const void* buffer, size_t length, uint64_t offset)
{
    const auto* p = static_cast<const uint8_t*>(buffer);
    size_t done = 0;
    while (done < length) {
        ssize_t n = ::pwrite(fd, p + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

void startWriteback(int fd, uint64_t offset, size_t length)
{
    // Only a hint: a pipe or a file system without it simply refuses.
    (void)::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
}

namespace {

DurableStepWatcher& durableStepWatcher()
{
    static DurableStepWatcher watcher;
    return watcher;
}

bool stepAllowed(DurableStep step, const std::string& path)
{
    const DurableStepWatcher& watcher = durableStepWatcher();
    return !watcher || watcher(step, path);
}

} // namespace

void watchDurableSteps(DurableStepWatcher watcher) { durableStepWatcher() = std::move(watcher); }

bool flushFile(const std::string& path)
{
    if (!stepAllowed(DurableStep::FlushFile, path))
        return false;
    FdGuard fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0 && fd.close();
}

bool flushFolder(const std::string& folder)
{
    if (!stepAllowed(DurableStep::FlushFolder, folder))
        return false;
    FdGuard fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0;
}

bool renameFile(const std::string& from, const std::string& to)
{
    return stepAllowed(DurableStep::Rename, to) && ::rename(from.c_str(), to.c_str()) == 0;
}

bool removeFile(const std::string& path)
{
    return stepAllowed(DurableStep::Remove, path) && ::unlink(path.c_str()) == 0;
}

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, size_t maxBytes)
{
    FdGuard fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return std::nullopt;
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > maxBytes)
        return std::nullopt;
    std::vector<uint8_t> data(static_cast<size_t>(st.st_size));
    long long n = readFully(fd.get(), data.data(), data.size());
    if (n < 0)
        return std::nullopt;
    data.resize(static_cast<size_t>(n));
    return data;
}

bool writeWholeFile(const std::string& path, const void* data, size_t length, unsigned mode)
{
    std::string temporary;
    FdGuard fd(createTemporaryBeside(path, mode, temporary));
    if (!fd.valid())
        return false;
    const bool written = writeFully(fd.get(), data, length) && ::fsync(fd.get()) == 0 && fd.close();
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

int createTemporaryBeside(const std::string& path, unsigned mode, std::string& temporary)
{
    static std::atomic<unsigned> counter{0};
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(1, '.');  // built piecewise: "." + std::string trips a false -Wrestrict in GCC 12 at -O3
        suffix += std::to_string(::getpid());
        suffix += '-';
        suffix += std::to_string(counter.fetch_add(1));
        const std::string candidate =
            folder + ".~" + TextFields::truncate(name, NAME_MAX - 2 - suffix.size()) + suffix;
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            temporary = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

FdGuard::~FdGuard()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int FdGuard::release()
{
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void FdGuard::reset(int fd)
{
    close();
    fd_ = fd;
}

bool FdGuard::close()
{
    if (fd_ < 0)
        return true;
    int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
}

} // namespace mvx
