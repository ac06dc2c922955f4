#pragma once

#include <string>
#include <vector>

namespace mvx {

// A file chooser's type filter written as "Description(*.ext)|*.ext|...||":
// pairs of a description and its patterns.
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;  // "*.*" stands for every file

    static std::vector<FileFilter> parse(const std::string& text);
    // "Description (pattern pattern)" as desktop file dialogs take it; "*.*"
    // becomes "*" so that names without a dot are offered too.
    std::string desktopFilter() const;
};

} // namespace mvx
