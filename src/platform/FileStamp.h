#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mvx {

// What tells a file's content changed without reading it: inode, size and
// modification time. Caches keep it beside what they read from the file.
struct FileStamp {
    uint64_t inode = 0;
    uint64_t size = 0;
    int64_t seconds = 0;
    int64_t nanoseconds = 0;

    bool operator==(const FileStamp&) const = default;
    // nullopt when the file cannot be examined.
    static std::optional<FileStamp> of(const std::string& path);
};

} // namespace mvx
