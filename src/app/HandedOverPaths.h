#pragma once

#include <string>
#include <vector>

namespace mvx {

// The files a file manager hands over as text (the clipboard, the shared
// memory): a URI list, one URI a line, and lines of comma-separated absolute
// paths. A URI is decoded only after the text was split, so a comma or a
// line break inside it stays part of the name. Only existing local files are
// taken; everything else is refused as it was given.
struct HandedOverPaths {
    std::vector<std::string> paths;    // in the order given
    std::vector<std::string> refused;  // a URI or a piece of the list, as written

    static HandedOverPaths read(const std::string& text);
    // The refused entries one a line, control characters shown as '?'.
    std::string refusedList() const;
};

} // namespace mvx
