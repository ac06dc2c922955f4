#include "workbench/AddressList.h"

#include <algorithm>

namespace mvx {

bool AddressList::add(const AddressRow& row)
{
    const bool present = std::any_of(rows_.begin(), rows_.end(),
                                     [&](const AddressRow& r) { return r.destination == row.destination; });
    if (present)
        return false;
    rows_.push_back(row);
    return true;
}

void AddressList::removeAt(std::vector<size_t> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (auto it = positions.rbegin(); it != positions.rend(); ++it)
        if (*it < rows_.size())
            rows_.erase(rows_.begin() + static_cast<long>(*it));
}

std::vector<std::string> AddressList::destinations() const
{
    std::vector<std::string> result;
    result.reserve(rows_.size());
    for (const auto& row : rows_)
        result.push_back(row.destination);
    return result;
}

} // namespace mvx
