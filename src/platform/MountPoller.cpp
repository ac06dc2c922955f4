#include "platform/MountPoller.h"

namespace mvx {

MountPoller::MountPoller()
    : MountPoller(readMountTable, [](const MountEntry& mount) {
          return classifyMount(mount, isRemovableBlockDevice(mount.source)) == DriveKind::Removable;
      })
{
}

MountPoller::MountPoller(Table table, Removable removable) : table_(std::move(table)), removable_(std::move(removable))
{
}

std::vector<std::string> MountPoller::poll()
{
    std::set<std::string> now;
    std::vector<std::string> appeared;
    for (const MountEntry& mount : table_()) {
        if (!removable_(mount))
            continue;
        now.insert(mount.mountPoint);
        if (!first_ && !known_.count(mount.mountPoint))
            appeared.push_back(mount.mountPoint);
    }
    known_ = std::move(now);
    first_ = false;
    return appeared;
}

} // namespace mvx
