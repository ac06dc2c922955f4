#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace mvx {

class StudioList;

// The ordered file paths a batch processes, and the folders met while
// expanding folders into it. A batch removes every entry it skips, so after
// an encryption batch the list holds exactly the files that became containers.
class WorkList {
public:
    // Rebuilds from the studio list: folders one level deep. Stops early when
    // the abort flag is set.
    void rebuildFrom(const StudioList& studio);
    // A folder goes to the folder list and is expanded; a file is appended.
    void ExpandEntry(const std::string& path, bool recursive);
    // Appends the files of a folder (names in sorted order). Recursive: every
    // depth, subfolders go to the folder list, "desktop.ini" and "thumbs.db"
    // are left out; symbolic links to folders are not followed.
    void ExpandFolder(const std::string& folder, bool recursive);
    // Removes the collected folders from the last to the first; only emptied
    // ones disappear. Clears the folder list.
    void removeEmptiedFolders();

    void setFiles(std::vector<std::string> files) { files_ = std::move(files); }
    void append(const std::string& file) { files_.push_back(file); }
    void clear() { files_.clear(); }
    void clearFolders() { folders_.clear(); }

    std::vector<std::string>& files() { return files_; }
    const std::vector<std::string>& files() const { return files_; }
    const std::vector<std::string>& folders() const { return folders_; }
    bool empty() const { return files_.empty(); }
    size_t size() const { return files_.size(); }

    // The window-wide abort flag (the Stop button, set from any thread),
    // watched by expansion, rebuilding and the batches between files.
    void setAbortFlag(const std::atomic<bool>* abort) { abort_ = abort; }
    // Keeps the window responsive between entries of a folder walk.
    void setPump(std::function<void()> pump) { pump_ = std::move(pump); }
    bool aborted() const { return abort_ && *abort_; }

private:
    std::vector<std::string> files_;
    std::vector<std::string> folders_;
    const std::atomic<bool>* abort_ = nullptr;
    std::function<void()> pump_;
};

} // namespace mvx
