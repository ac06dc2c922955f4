#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// Reads up to length bytes, retrying short reads; returns the count read
// (less only at end of file) or -1 on error.
long long readFully(int fd, void* buffer, size_t length);
// Writes all length bytes; false on error.
bool writeFully(int fd, const void* buffer, size_t length);
bool preadFully(int fd, void* buffer, size_t length, uint64_t offset);
bool pwriteFully(int fd, const void* buffer, size_t length, uint64_t offset);
// Asks the kernel to start writing the given range of a file to disk without
// waiting for it, so a later fsync has little left to do. Does nothing for
// descriptors that are not files.
void startWriteback(int fd, uint64_t offset, size_t length);
// Flushes a file's content to disk; false when it cannot be.
bool flushFile(const std::string& path);
// Flushes a folder, so that the names made in it (by rename) reach the disk.
bool flushFolder(const std::string& folder);
// rename(2) and unlink(2) of the batches' outputs and inputs; false on error.
bool renameFile(const std::string& from, const std::string& to);
bool removeFile(const std::string& path);

// The steps above in the order a process takes them, for the tests that check
// that an output is on disk before what it replaces goes. The watcher is
// called before each step with its path (a rename's new name); when it
// answers false the step fails as if the system had refused it. No watcher by
// default; set one only while no other thread takes these steps.
enum class DurableStep { FlushFile, FlushFolder, Rename, Remove };
using DurableStepWatcher = std::function<bool(DurableStep step, const std::string& path)>;
void watchDurableSteps(DurableStepWatcher watcher);

// Whole small files (key files, member files). nullopt when unreadable.
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, size_t maxBytes = 64 * 1024 * 1024);
// Writes a file completely under a temporary name beside it, flushes it and
// renames it over path (created with the given mode). On any failure the
// temporary file is removed, an older file of that name keeps its contents,
// and false is returned.
bool writeWholeFile(const std::string& path, const void* data, size_t length, unsigned mode = 0644);
// Creates a new hidden file beside path (exclusively, with the given mode)
// whose name stays within the file system's limit for one name however long
// path's name is. The descriptor, or -1 when no such file can be made.
int createTemporaryBeside(const std::string& path, unsigned mode, std::string& temporary);

// Closes a file descriptor when it goes out of scope.
class FdGuard {
public:
    explicit FdGuard(int fd = -1) : fd_(fd) {}
    ~FdGuard();
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return fd_; }
    int release();
    // Closes the descriptor held (if any) and holds fd instead.
    void reset(int fd);
    bool valid() const { return fd_ >= 0; }
    // Closes now and reports whether close succeeded.
    bool close();

private:
    int fd_;
};

} // namespace mvx
