#include "platform/StaleTemporaries.h"

#include "platform/FileAttributes.h"
#include "platform/ProcessList.h"
#include "platform/SecureDelete.h"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

bool allDigits(const std::string& text)
{
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool isOwnRegularFile(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid();
}

// The temporary output of a container: the output's name, before the suffix, ends in ".klx".
bool isContainerOutput(const std::string& name)
{
    const size_t suffix = name.find_last_of('.');
    if (suffix < 6)
        return false;
    std::string ending = name.substr(suffix - 4, 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == ".klx";
}

} // namespace

pid_t StaleTemporaries::ownerOf(const std::string& name)
{
    if (name.rfind(".~", 0) != 0)
        return 0;
    const size_t dot = name.find_last_of('.');
    if (dot < 3)
        return 0;
    const std::string suffix = name.substr(dot + 1);
    const size_t dash = suffix.find('-');
    if (dash == std::string::npos || !allDigits(suffix.substr(0, dash)) || !allDigits(suffix.substr(dash + 1)))
        return 0;
    return static_cast<pid_t>(std::stol(suffix.substr(0, dash)));
}

std::vector<std::string> StaleTemporaries::in(const std::string& folder)
{
    std::vector<std::string> stale;
    for (const std::string& name : FileAttributes::entries(folder)) {
        const pid_t owner = ownerOf(name);
        if (owner > 0 && owner != ::getpid() && isOwnRegularFile(folder + name) && !ProcessList::isAlive(owner))
            stale.push_back(folder + name);
    }
    return stale;
}

std::vector<std::string> StaleTemporaries::removeIn(const std::string& folder)
{
    std::vector<std::string> removed;
    for (const std::string& path : in(folder)) {
        const std::string name = path.substr(folder.size());
        const bool gone = isContainerOutput(name) ? ::unlink(path.c_str()) == 0 : SecureDelete(path) != 0;
        if (gone)
            removed.push_back(path);
    }
    return removed;
}

} // namespace mvx
