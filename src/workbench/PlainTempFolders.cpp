#include "workbench/PlainTempFolders.h"

#include "platform/FileAttributes.h"
#include "platform/ProcessList.h"
#include "platform/SecureDelete.h"

#include <cstdlib>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

std::mutex& registryLock()
{
    static std::mutex lock;
    return lock;
}

std::set<std::string>& registry()
{
    static std::set<std::string> folders;
    return folders;
}

void destroyContents(const std::string& folder)
{
    for (const std::string& name : FileAttributes::entries(folder)) {
        const std::string path = folder + name;
        // Whatever the program left beside the plain file (backups, lock
        // files) may hold plain text too.
        if (FileAttributes::isRegularFile(path) && !FileAttributes::isSymbolicLink(path))
            SecureDelete(path);
        else
            ::unlink(path.c_str());
    }
    ::rmdir(folder.c_str());
}

// The process id in "mvx-open-PID-XXXXXX"; 0 when the name has none.
pid_t ownerOf(const std::string& name)
{
    const std::string prefix = PlainTempFolders::kPrefix;
    if (name.rfind(prefix, 0) != 0)
        return 0;
    const std::string rest = name.substr(prefix.size());
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || rest.find_first_not_of("0123456789") != dash || dash > 9)
        return 0;
    return static_cast<pid_t>(std::stol(rest.substr(0, dash)));
}

bool isOwnFolder(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

} // namespace

std::string PlainTempFolders::parentFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/";
}

std::string PlainTempFolders::create()
{
    std::string pattern = parentFolder() + kPrefix + std::to_string(::getpid()) + "-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return {};
    std::string folder = pattern + "/";
    std::lock_guard<std::mutex> lock(registryLock());
    registry().insert(folder);
    return folder;
}

void PlainTempFolders::destroy(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(registryLock());
    if (registry().erase(folder) > 0)
        destroyContents(folder);
}

void PlainTempFolders::destroyAll()
{
    std::lock_guard<std::mutex> lock(registryLock());
    for (const std::string& folder : registry())
        destroyContents(folder);
    registry().clear();
}

int PlainTempFolders::sweepLeftovers()
{
    int swept = 0;
    const std::string parent = parentFolder();
    for (const std::string& name : FileAttributes::entries(parent)) {
        const pid_t owner = ownerOf(name);
        if (owner <= 0 || !isOwnFolder(parent + name))
            continue;
        if (ProcessList::isAlive(owner))
            continue;  // its process still runs (or may: not ours to judge)
        destroyContents(parent + name + "/");
        ++swept;
    }
    return swept;
}

} // namespace mvx
