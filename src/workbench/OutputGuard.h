#pragma once

#include <string>
#include <sys/types.h>

namespace mvx {

class FolderFlushes;

// Writes a new output under a temporary name in its folder, so that an
// interruption never leaves a partial file under the output's name and an
// older file of that name stays as it is until the new one is complete.
// commit() flushes the new file, renames it over the output and leaves the
// folder to the batch's FolderFlushes; without a successful commit the
// temporary file is removed.
class OutputGuard {
public:
    // The temporary file is created at once with the given mode (before the
    // umask), unless written names a file already made in the target's folder
    // for this output, which the guard then takes over.
    OutputGuard(std::string target, mode_t mode, std::string written = {});
    ~OutputGuard();
    OutputGuard(const OutputGuard&) = delete;
    OutputGuard& operator=(const OutputGuard&) = delete;

    // False when the temporary file could not be made (nothing may be written then).
    bool ready() const { return !temporary_.empty(); }
    // Where the writer writes until commit().
    const std::string& path() const { return temporary_; }
    // True once the new file's content is on disk and it carries the output's
    // name; its folder is added to folders. contentFlushed: the writer flushed
    // the file already (a helper thread did).
    bool commit(bool contentFlushed, FolderFlushes& folders);

private:
    std::string target_;
    std::string temporary_;
    bool committed_ = false;
};

} // namespace mvx
