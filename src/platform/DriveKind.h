#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// What kind of storage a path lies on, in the sense the program's folder
// rules need: a CD-ROM (iso9660, udf), a removable medium (a block device
// whose sysfs "removable" is 1, or a mount under /media or /run/media), a
// network file system (nfs, cifs, sshfs and other network mounts), or a
// fixed disk (everything else).
enum class DriveKind { Fixed, Removable, Network, CdRom };

struct MountEntry {
    std::string mountPoint;
    std::string fsType;
    std::string source;
};

// The mounts of this process (/proc/self/mountinfo).
std::vector<MountEntry> readMountTable();
// Parses mountinfo text; lines that do not fit the layout are skipped.
std::vector<MountEntry> parseMountInfo(const std::string& text);
// The mount a path lies on: the entry with the longest mount point that
// contains it (the last one when a mount point is mounted over).
std::optional<MountEntry> mountOf(const std::string& path, const std::vector<MountEntry>& table);

// The kind of one mount; removableBlockDevice tells whether sysfs marks the
// source device removable.
DriveKind classifyMount(const MountEntry& mount, bool removableBlockDevice);
DriveKind driveKindOf(const std::string& path);
// Whether sysfs marks a mount's source device (or its parent disk) removable.
bool isRemovableBlockDevice(const std::string& source);

// "/" and every mount point; the Linux counterpart of a drive root.
bool isMountPoint(const std::string& path);
// The device a path lies on; paths with another device lie on "another drive".
std::optional<uint64_t> deviceIdOf(const std::string& path);

// The path with symbolic links and "." / ".." resolved when it exists;
// otherwise the path with repeated and trailing slashes removed.
std::string canonicalFolder(const std::string& path);

} // namespace mvx
