#pragma once

#include <string>
#include <vector>

namespace mvx {

// One row of an address list: a destination with what the window shows of it.
struct AddressRow {
    enum class Kind { Authenticated, Plain, Folder };
    std::string name;
    std::string mail;
    std::string destination;  // key file path, or a key folder ending in "/"
    Kind kind = Kind::Plain;
};

// The main window's "Selected candidates for encryption" (and the chosen list
// of the destination selection): rows in order, each destination at most once,
// and the destination array kept in step with the rows.
class AddressList {
public:
    // False when the destination is there already.
    bool add(const AddressRow& row);
    // Removes the rows at these positions (any order, duplicates ignored).
    void removeAt(std::vector<size_t> positions);
    void clear() { rows_.clear(); }

    const std::vector<AddressRow>& rows() const { return rows_; }
    std::vector<std::string> destinations() const;
    bool empty() const { return rows_.empty(); }
    size_t size() const { return rows_.size(); }

private:
    std::vector<AddressRow> rows_;
};

} // namespace mvx
