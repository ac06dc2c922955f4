#pragma once

#include <string>

namespace mvx {

// The mark of the specific folder: a ".directory" file that gives the folder
// a locked-folder icon in file managers. Only a mark this program wrote is
// ever removed; the walks of the protected folder leave it alone.
class SpecificFolderMark {
public:
    static constexpr const char* kFileName = ".directory";

    // True when the folder carries the mark afterwards. A ".directory" of
    // the user's own is left as it is.
    static bool mark(const std::string& folder);
    // Removes this program's mark; true when none is left.
    static bool unmark(const std::string& folder);
    static bool isMarked(const std::string& folder);
};

} // namespace mvx
