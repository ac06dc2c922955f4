#pragma once

#include <string>
#include <vector>

namespace mvx {

class CMessenger;

// The user's collection of files and folders ("Rizove Revozo"): full paths
// in the order added, each at most once.
class StudioList {
public:
    static constexpr int kAlreadyPresent = -1;

    // Adds a path; returns its index, or kAlreadyPresent when it is there already.
    int AddToStudio(const std::string& path);
    // Adds a path and, when it is already present, says so in the status line.
    void addAndReport(const std::string& path, CMessenger& messenger);
    // Dropped paths: a symbolic link stands for its target.
    void addDropped(const std::vector<std::string>& paths, CMessenger& messenger);

    // A folder dragged from the folder tree: added unless present or empty.
    void addDraggedFolder(const std::string& folder, CMessenger& messenger);
    // Items dragged from the file pane: the pane's folder plus each item name.
    void addPaneItems(const std::string& folder, const std::vector<std::string>& names, CMessenger& messenger);

    bool remove(const std::string& path);
    void clear() { entries_.clear(); }
    // Drops entries whose path no longer exists.
    void dropMissing();

    const std::vector<std::string>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }
    size_t size() const { return entries_.size(); }
    bool contains(const std::string& path) const;

private:
    std::vector<std::string> entries_;
};

} // namespace mvx
