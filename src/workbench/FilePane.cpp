#include "workbench/FilePane.h"

#include "workbench/BatchFiles.h"
#include "workbench/CandidateList.h"

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

namespace mvx {

namespace {

std::string withSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

void FilePane::choose(const std::string& folder)
{
    chosen_ = withSlash(folder);
    show(chosen_);
}

void FilePane::show(const std::string& folder)
{
    current_ = withSlash(folder);
    refresh();
}

void FilePane::up()
{
    if (upEnabled())
        show(CandidateList::parentOf(current_));
}

void FilePane::setEncryptedOnly(bool on)
{
    encryptedOnly_ = on;
    refresh();
}

// readdir's own type spares a stat per entry; links and file systems that
// give no type are asked with stat (a link to a folder is a folder).
void FilePane::refresh()
{
    entries_.clear();
    DIR* folder = ::opendir(current_.c_str());
    if (!folder)
        return;
    while (const dirent* found = ::readdir(folder)) {
        if (found->d_name[0] == '.' || found->d_name[0] == '\0')
            continue;
        bool isFolder = found->d_type == DT_DIR;
        if (found->d_type == DT_LNK || found->d_type == DT_UNKNOWN) {
            struct stat facts {};
            isFolder = ::stat((current_ + found->d_name).c_str(), &facts) == 0 && S_ISDIR(facts.st_mode);
        }
        if (!isFolder && encryptedOnly_ && !BatchFiles::endsWithLower(found->d_name, ".klx"))
            continue;
        entries_.push_back(Entry{found->d_name, isFolder});
    }
    ::closedir(folder);
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.folder != b.folder ? a.folder : a.name < b.name;
    });
}

const FilePane::Entry& FilePane::detailed(size_t position)
{
    Entry& entry = entries_.at(position);
    if (!entry.detailed) {
        struct stat facts {};
        if (::stat((current_ + entry.name).c_str(), &facts) == 0) {
            entry.modified = static_cast<int64_t>(facts.st_mtime);
            entry.size = entry.folder ? 0 : static_cast<uint64_t>(facts.st_size);
        }
        entry.detailed = true;
    }
    return entry;
}

std::vector<std::string> FilePane::pathsOf(const std::vector<size_t>& positions) const
{
    std::vector<std::string> paths;
    for (size_t position : positions)
        if (position < entries_.size())
            paths.push_back(current_ + entries_[position].name);
    return paths;
}

} // namespace mvx
