#pragma once

#include "keys/DestinationListEditor.h"
#include "workbench/AddressList.h"

#include <optional>
#include <string>
#include <vector>

namespace mvx {

// One folder of the destination list as the candidate lists show it: the row
// back to the folder above (inside a subfolder), the subfolders, then the
// authenticated and the plain entries.
class CandidateList {
public:
    struct Item {
        enum class Kind { Parent, Subfolder, Entry };
        Kind kind = Kind::Entry;
        std::string label;        // what the first column shows
        std::string mail;
        std::string keyFileName;
        std::string path;         // key file, or the folder with a trailing "/"
        bool authenticated = false;
    };

    explicit CandidateList(DestinationListEditor& list) : list_(list) {}

    // Shows a folder of the tree (the key folder when empty).
    void show(const std::string& folder = {});
    // The same folder again, after the destination list changed.
    void reshow() { show(view_.folder); }

    // Double click: a subfolder is entered, the parent row goes up, an entry
    // comes back as the address row to add.
    std::optional<AddressRow> activate(size_t index);
    // ">>>": the address rows of the selected items, from the last selected to
    // the first; subfolders become key-folder destinations, the parent row is left out.
    std::vector<AddressRow> rowsFor(std::vector<size_t> selection) const;

    const std::vector<Item>& items() const { return items_; }
    const std::string& folder() const { return view_.folder; }
    const std::string& title() const { return view_.title; }

    // The folder above: cut at the last "/" once a trailing "/" is gone.
    static std::string parentOf(const std::string& folder);
    static AddressRow addressRowOf(const Item& item);

private:
    DestinationListEditor& list_;
    DestinationListEditor::FolderView view_;
    std::vector<Item> items_;
};

} // namespace mvx
