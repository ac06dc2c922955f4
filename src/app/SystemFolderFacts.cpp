#include "app/IFolderFacts.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

bool SystemFolderFacts::folderExists(const std::string& folder) const
{
    struct stat st {};
    return !folder.empty() && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SystemFolderFacts::isDriveRoot(const std::string& folder) const { return isMountPoint(folder); }

DriveKind SystemFolderFacts::driveKind(const std::string& folder) const { return driveKindOf(folder); }

std::optional<uint64_t> SystemFolderFacts::deviceId(const std::string& path) const { return deviceIdOf(path); }

std::string SystemFolderFacts::homeFolder() const
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

std::string SystemFolderFacts::canonical(const std::string& path) const { return canonicalFolder(path); }

} // namespace mvx
