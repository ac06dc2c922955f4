#include "platform/DriveKind.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace mvx {

namespace {

// mountinfo escapes blanks and backslashes as \ooo.
std::string unescapeMountField(const std::string& field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string octal = field.substr(i + 1, 3);
            if (octal.size() == 3 && octal.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::stoi(octal, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::string withoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool contains(const std::string& mountPoint, const std::string& path)
{
    if (mountPoint == "/")
        return !path.empty() && path.front() == '/';
    return path == mountPoint || (path.size() > mountPoint.size() && path.compare(0, mountPoint.size(), mountPoint) == 0 &&
                                  path[mountPoint.size()] == '/');
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

bool isNetworkType(const std::string& type)
{
    static const char* const kNetwork[] = {"nfs",   "nfs4",      "cifs", "smb3",  "smbfs", "ncpfs", "afs",
                                           "9p",    "ceph",      "glusterfs", "lustre", "davfs", "coda"};
    for (const char* name : kNetwork)
        if (type == name)
            return true;
    static const char* const kNetworkFuse[] = {"fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.davfs2",
                                               "fuse.curlftpfs", "fuse.gvfsd-fuse", "fuse.glusterfs"};
    for (const char* name : kNetworkFuse)
        if (type == name)
            return true;
    return false;
}

// sysfs marks whole removable disks; a partition's flag sits on its parent.
bool sysfsRemovable(const std::string& source)
{
    if (!startsWith(source, "/dev/"))
        return false;
    char resolved[PATH_MAX];
    if (!::realpath(source.c_str(), resolved))
        return false;
    const std::string device = std::string(resolved).substr(std::string(resolved).find_last_of('/') + 1);
    char sysPath[PATH_MAX];
    if (!::realpath(("/sys/class/block/" + device).c_str(), sysPath))
        return false;
    for (const std::string& candidate : {std::string(sysPath) + "/removable", std::string(sysPath) + "/../removable"}) {
        std::ifstream in(candidate);
        char flag = '0';
        if (in >> flag)
            return flag == '1';
    }
    return false;
}

} // namespace

std::vector<MountEntry> parseMountInfo(const std::string& text)
{
    std::vector<MountEntry> table;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> parts;
        for (std::string f; fields >> f;)
            parts.push_back(f);
        size_t separator = 6;
        while (separator < parts.size() && parts[separator] != "-")
            ++separator;
        if (parts.size() < 5 || separator + 2 >= parts.size())
            continue;
        table.push_back({unescapeMountField(parts[4]), parts[separator + 1], unescapeMountField(parts[separator + 2])});
    }
    return table;
}

std::vector<MountEntry> readMountTable()
{
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    return parseMountInfo(text.str());
}

std::optional<MountEntry> mountOf(const std::string& path, const std::vector<MountEntry>& table)
{
    std::optional<MountEntry> best;
    for (const MountEntry& entry : table)
        if (contains(entry.mountPoint, path) && (!best || entry.mountPoint.size() >= best->mountPoint.size()))
            best = entry;
    return best;
}

DriveKind classifyMount(const MountEntry& mount, bool removableBlockDevice)
{
    if (mount.fsType == "iso9660" || mount.fsType == "udf")
        return DriveKind::CdRom;
    if (isNetworkType(mount.fsType))
        return DriveKind::Network;
    if (removableBlockDevice || startsWith(mount.mountPoint, "/media/") || startsWith(mount.mountPoint, "/run/media/"))
        return DriveKind::Removable;
    return DriveKind::Fixed;
}

DriveKind driveKindOf(const std::string& path)
{
    const auto mount = mountOf(canonicalFolder(path), readMountTable());
    if (!mount)
        return DriveKind::Fixed;
    return classifyMount(*mount, sysfsRemovable(mount->source));
}

bool isMountPoint(const std::string& path)
{
    const std::string folder = canonicalFolder(path);
    if (folder == "/")
        return true;
    for (const MountEntry& entry : readMountTable())
        if (withoutTrailingSlash(entry.mountPoint) == folder)
            return true;
    struct stat self {};
    struct stat parent {};
    const std::string parentPath = folder.substr(0, folder.find_last_of('/') + 1);
    return ::stat(folder.c_str(), &self) == 0 && ::stat(parentPath.c_str(), &parent) == 0 &&
           self.st_dev != parent.st_dev;
}

std::optional<uint64_t> deviceIdOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return static_cast<uint64_t>(st.st_dev);
}

std::string canonicalFolder(const std::string& path)
{
    if (path.empty())
        return path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string result(resolved);
        std::free(resolved);
        return result;
    }
    std::string cleaned;
    for (char c : path)
        if (!(c == '/' && !cleaned.empty() && cleaned.back() == '/'))
            cleaned += c;
    return withoutTrailingSlash(cleaned);
}

bool isRemovableBlockDevice(const std::string& source) { return sysfsRemovable(source); }

} // namespace mvx
