#include "workbench/FilePane.h"

#include "workbench/BatchFiles.h"
#include "workbench/CandidateList.h"

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>

namespace mvx {

namespace fs = std::filesystem;

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

void FilePane::refresh()
{
    entries_.clear();
    std::error_code ec;
    for (fs::directory_iterator it(current_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        std::error_code typeError;
        const bool isFolder = it->is_directory(typeError);
        if (!isFolder && encryptedOnly_ && !BatchFiles::endsWithLower(name, ".klx"))
            continue;
        entries_.push_back(Entry{name, isFolder});
    }
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
