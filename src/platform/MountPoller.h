#pragma once

#include "platform/DriveKind.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace mvx {

// Finds removable media that were mounted since the last poll by comparing
// the mount table with the one seen before. The first poll only learns what
// is there.
class MountPoller {
public:
    using Table = std::function<std::vector<MountEntry>()>;
    using Removable = std::function<bool(const MountEntry&)>;

    // By default the process's mount table and the drive-kind rules.
    MountPoller();
    MountPoller(Table table, Removable removable);

    // The mount points of removable media that appeared since the last poll.
    std::vector<std::string> poll();

private:
    Table table_;
    Removable removable_;
    std::set<std::string> known_;
    bool first_ = true;
};

} // namespace mvx
