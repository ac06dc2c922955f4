#include "workbench/WorkList.h"

#include "workbench/BatchFiles.h"
#include "workbench/SpecificFolderMark.h"
#include "workbench/StudioList.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

std::vector<std::string> sortedNames(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool isLeftOutOfRecursiveWalk(const std::string& path)
{
    return BatchFiles::endsWithLower(path, "desktop.ini") || BatchFiles::endsWithLower(path, "thumbs.db") ||
           BatchFiles::endsWithLower(path, std::string("/") + SpecificFolderMark::kFileName);
}

} // namespace

void WorkList::rebuildFrom(const StudioList& studio)
{
    files_.clear();
    folders_.clear();
    for (const std::string& entry : studio.entries()) {
        if (aborted())
            break;
        ExpandEntry(entry, false);
    }
}

void WorkList::ExpandEntry(const std::string& path, bool recursive)
{
    if (BatchFiles::isDirectory(path)) {
        const std::string folder = BatchFiles::withSlash(path);
        folders_.push_back(folder);
        ExpandFolder(folder, recursive);
    } else {
        files_.push_back(path);
    }
}

void WorkList::ExpandFolder(const std::string& folder, bool recursive)
{
    const std::string base = BatchFiles::withSlash(folder);
    for (const std::string& name : sortedNames(base)) {
        if (pump_)
            pump_();
        if (aborted())
            return;
        const std::string path = base + name;
        if (recursive && isLeftOutOfRecursiveWalk(path))
            continue;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        const bool folderEntry = S_ISDIR(st.st_mode);
        if (!folderEntry) {
            // A link to a folder is neither walked nor taken as a file.
            if (S_ISLNK(st.st_mode) && BatchFiles::isDirectory(path))
                continue;
            files_.push_back(path);
        } else if (recursive) {
            folders_.push_back(path + '/');
            ExpandFolder(path + '/', true);
        }
    }
}

void WorkList::removeEmptiedFolders()
{
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it)
        ::rmdir(it->c_str());
    folders_.clear();
}

} // namespace mvx
