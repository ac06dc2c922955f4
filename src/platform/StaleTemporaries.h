#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace mvx {

// The hidden files createTemporaryBeside makes (".~NAME.PID-N") that a process
// left behind when it was killed or lost its power: those whose process no
// longer runs. A partial plain output may hold much of a file's plain text.
class StaleTemporaries {
public:
    // The process id a name of that form carries; 0 for any other name.
    static pid_t ownerOf(const std::string& name);
    // The stale ones directly in folder (a folder path with a trailing "/"):
    // regular files of this user whose process has ended.
    static std::vector<std::string> in(const std::string& folder);
    // Removes those of folder: the partial output of a container is deleted,
    // any other is destroyed by secure deletion. Returns the paths removed.
    static std::vector<std::string> removeIn(const std::string& folder);
};

} // namespace mvx
