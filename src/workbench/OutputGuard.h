#pragma once

#include <string>
#include <sys/types.h>

namespace mvx {

class FolderFlushes;

// Writes a new output under a temporary name in its folder, so that an
// interruption never leaves a partial file under the output's name and an
// older file of that name stays as it is until the new one is complete.
// commit() flushes the new file, renames it over the output and flushes the
// folder entry (or leaves that to the batch's FolderFlushes); without a
// successful commit the temporary file is removed.
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
    // True once the new file is on disk under the output's name.
    // contentFlushed: the writer flushed the file already (a helper thread did).
    // laterFolders: the folder is flushed by the batch later, with others.
    bool commit(bool contentFlushed = false, FolderFlushes* laterFolders = nullptr);

private:
    std::string target_;
    std::string temporary_;
    bool committed_ = false;
};

} // namespace mvx
