#pragma once

#include <cstddef>
#include <cstdint>
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

// Whole small files (key files, member files). nullopt when unreadable.
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, size_t maxBytes = 64 * 1024 * 1024);
// Writes a file completely (created or truncated with the given mode); on any
// failure the partial file is removed and false returned.
bool writeWholeFile(const std::string& path, const void* data, size_t length, unsigned mode = 0644);

// Closes a file descriptor when it goes out of scope.
class FdGuard {
public:
    explicit FdGuard(int fd = -1) : fd_(fd) {}
    ~FdGuard();
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return fd_; }
    int release();
    bool valid() const { return fd_ >= 0; }
    // Closes now and reports whether close succeeded.
    bool close();

private:
    int fd_;
};

} // namespace mvx
