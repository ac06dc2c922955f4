#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mvx {

// The main window's file pane without its widgets: the folder chosen in the
// folder selector, the folder shown, its entries (folders first, then files,
// each by name; hidden entries left out) and the "Encrypted Files Only" filter.
// Listing reads the folder's names only; an entry's size and time are read
// when first asked for (the rows a window shows), so large folders list fast.
class FilePane {
public:
    struct Entry {
        std::string name;
        bool folder = false;
        uint64_t size = 0;
        int64_t modified = 0;  // seconds since the epoch
        bool detailed = false;  // size and modified read
    };

    // The folder selector's choice: shows it; the up button is disabled there.
    void choose(const std::string& folder);
    // Shows another folder (a double-clicked subfolder).
    void show(const std::string& folder);
    // The parent folder; nothing happens at the selector's folder.
    void up();
    // Lists the folder shown again.
    void refresh();
    // "*.klx" when ticked, every file otherwise.
    void setEncryptedOnly(bool on);

    bool upEnabled() const { return current_ != chosen_; }
    bool encryptedOnly() const { return encryptedOnly_; }
    const std::string& folder() const { return current_; }
    const std::vector<Entry>& entries() const { return entries_; }
    // The entry at position with its size and time read.
    const Entry& detailed(size_t position);
    // Full paths of the entries at these positions.
    std::vector<std::string> pathsOf(const std::vector<size_t>& positions) const;

private:
    std::string chosen_;
    std::string current_;
    bool encryptedOnly_ = false;
    std::vector<Entry> entries_;
};

} // namespace mvx
