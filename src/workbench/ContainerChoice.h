#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// The lists of containers the history viewer's selector and the forwarding
// dialog show, and what the user did there.
struct ContainerRow {
    std::string fileName;
    std::string date;  // last write, "%Y/%m/%d %H:%M"
};

struct ContainerChoice {
    bool confirmed = false;           // "View" / "Forwarding"; false is Cancel
    std::optional<size_t> index;      // the row chosen, if any
};

using ContainerChooser = std::function<ContainerChoice(const std::vector<ContainerRow>& rows)>;

// The rows for a list of container paths.
std::vector<ContainerRow> containerRows(const std::vector<std::string>& paths);

} // namespace mvx
