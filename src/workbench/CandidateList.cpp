#include "workbench/CandidateList.h"

#include "keys/KeyFileNames.h"

#include <algorithm>

namespace mvx {

void CandidateList::show(const std::string& folder)
{
    view_ = list_.showFolder(folder);
    items_.clear();
    if (!view_.parentRow.empty())
        items_.push_back({Item::Kind::Parent, view_.parentRow, {}, {}, parentOf(view_.folder), false});
    for (const auto& name : view_.subfolders)
        items_.push_back({Item::Kind::Subfolder, name, {}, {}, view_.folder + name + "/", false});
    for (const auto& row : view_.rows)
        items_.push_back({Item::Kind::Entry, row.name, row.mail, row.keyFileName, view_.folder + row.keyFileName,
                          row.authenticated});
}

std::optional<AddressRow> CandidateList::activate(size_t index)
{
    if (index >= items_.size())
        return std::nullopt;
    const Item item = items_[index];
    if (item.kind == Item::Kind::Entry)
        return addressRowOf(item);
    show(item.path);
    return std::nullopt;
}

std::vector<AddressRow> CandidateList::rowsFor(std::vector<size_t> selection) const
{
    std::sort(selection.begin(), selection.end());
    std::vector<AddressRow> rows;
    for (auto it = selection.rbegin(); it != selection.rend(); ++it)
        if (*it < items_.size() && items_[*it].kind != Item::Kind::Parent)
            rows.push_back(addressRowOf(items_[*it]));
    return rows;
}

std::string CandidateList::parentOf(const std::string& folder)
{
    std::string trimmed = folder;
    if (!trimmed.empty() && trimmed.back() == '/')
        trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    return slash == std::string::npos ? folder : trimmed.substr(0, slash + 1);
}

AddressRow CandidateList::addressRowOf(const Item& item)
{
    AddressRow row;
    row.name = item.label;
    row.mail = item.mail;
    row.destination = item.path;
    if (item.kind == Item::Kind::Subfolder)
        row.kind = AddressRow::Kind::Folder;
    else
        row.kind = KeyFileNames::endsWithNoCase(item.keyFileName, KeyFileNames::kAuthEnding) ? AddressRow::Kind::Authenticated
                                                             : AddressRow::Kind::Plain;
    return row;
}

} // namespace mvx
