#include "workbench/StudioList.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "workbench/BatchFiles.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace mvx {

bool StudioList::contains(const std::string& path) const
{
    return std::find(entries_.begin(), entries_.end(), path) != entries_.end();
}

int StudioList::AddToStudio(const std::string& path)
{
    if (contains(path))
        return kAlreadyPresent;
    entries_.push_back(path);
    return static_cast<int>(entries_.size()) - 1;
}

void StudioList::addAndReport(const std::string& path, CMessenger& messenger)
{
    if (AddToStudio(path) == kAlreadyPresent)
        messenger.status(Msg::AlreadySelected);
}

void StudioList::addDropped(const std::vector<std::string>& paths, CMessenger& messenger)
{
    for (const std::string& dropped : paths) {
        std::string path = dropped;
        struct stat st {};
        if (::lstat(dropped.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
            std::error_code error;
            const auto target = std::filesystem::canonical(dropped, error);
            if (!error)
                path = target.string();
        }
        if (BatchFiles::isDirectory(path))
            path = BatchFiles::withSlash(path);
        addAndReport(path, messenger);
    }
}

void StudioList::addDraggedFolder(const std::string& folder, CMessenger& messenger)
{
    std::error_code error;
    if (!BatchFiles::isDirectory(folder) || std::filesystem::is_empty(folder, error) || error)
        return;
    addAndReport(BatchFiles::withSlash(folder), messenger);
}

void StudioList::addPaneItems(const std::string& folder, const std::vector<std::string>& names, CMessenger& messenger)
{
    for (const std::string& name : names)
        addAndReport(BatchFiles::withSlash(folder) + name, messenger);
}

bool StudioList::remove(const std::string& path)
{
    const auto it = std::find(entries_.begin(), entries_.end(), path);
    if (it == entries_.end())
        return false;
    entries_.erase(it);
    return true;
}

void StudioList::dropMissing()
{
    std::erase_if(entries_, [](const std::string& path) { return !BatchFiles::exists(path); });
}

} // namespace mvx
