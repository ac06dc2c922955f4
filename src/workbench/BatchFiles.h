#pragma once

#include <string>

namespace mvx {

// Path and attribute rules shared by the batches. Paths use "/" and folder
// paths keep a trailing "/".
class BatchFiles {
public:
    // The name after the last "/".
    static std::string baseName(const std::string& path);
    // Everything up to and including the last "/" (empty when there is none).
    static std::string folderOf(const std::string& path);
    // The folder with a trailing "/" (an empty folder stays empty).
    static std::string withSlash(const std::string& folder);
    // The extension of the name (after its last "."), upper-cased; empty when none.
    static std::string upperExtension(const std::string& path);
    static bool endsWith(const std::string& text, const std::string& suffix);
    static bool endsWithLower(const std::string& text, const std::string& lowerSuffix);

    static bool exists(const std::string& path);
    static bool isDirectory(const std::string& path);
    static bool isRegularFile(const std::string& path);
    // There, but no regular file (a folder, FIFO, device or socket): reading or
    // writing it could block for ever or never end, so the batches leave it alone.
    static bool isOtherThanRegularFile(const std::string& path);
    // Read-only: no write permission bit at all.
    static bool isReadOnly(const std::string& path);
    // Hidden: a name beginning with ".".
    static bool isHidden(const std::string& path);
    // The file can be opened for reading now.
    static bool canOpenForReading(const std::string& path);
};

} // namespace mvx
