#pragma once

#include <set>
#include <string>

namespace mvx {

// The folders whose new entries a batch still has to flush to disk. A batch
// flushes each output's content before renaming it into place, and flushes
// the folders once: before it deletes anything that an output replaces and
// when it ends, instead of after every file.
class FolderFlushes {
public:
    void add(const std::string& folder) { folders_.insert(folder); }
    // Flushes every folder added since the last call. Best effort: some file
    // systems refuse to flush a folder, and the outputs are in place anyway.
    void flushAll();

private:
    std::set<std::string> folders_;
};

} // namespace mvx
