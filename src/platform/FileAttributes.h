#pragma once

#include "platform/SystemTime.h"

#include <string>
#include <vector>

namespace mvx {

// File attributes as the key files use them: "read-only" means no write
// permission bits; clearing it gives the owner write permission back.
class FileAttributes {
public:
    static bool exists(const std::string& path);
    static bool isRegularFile(const std::string& path);
    static bool isDirectory(const std::string& path);
    static bool isSymbolicLink(const std::string& path);
    static bool isReadOnly(const std::string& path);
    static bool setReadOnly(const std::string& path);
    static bool clearReadOnly(const std::string& path);
    // Local time of the last write, all zero when the file cannot be examined.
    static SystemTime lastWriteTime(const std::string& path);
    // -1 when the file cannot be examined.
    static long long size(const std::string& path);
    // Moves a file, replacing a file of the target name; copies and removes
    // the source when the target lies on another file system.
    static bool moveReplacing(const std::string& from, const std::string& to);
    static bool copyReplacing(const std::string& from, const std::string& to);
    // Creates the folder and any missing parents (mode 0700 for new ones).
    static bool makeFolders(const std::string& path);
    // Names in a folder, "." and ".." left out; empty when it cannot be read.
    static std::vector<std::string> entries(const std::string& folder);
};

} // namespace mvx
