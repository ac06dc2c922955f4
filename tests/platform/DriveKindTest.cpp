#include "platform/DriveKind.h"

#include <gtest/gtest.h>

namespace mvx {
namespace {

const char* const kMountInfo =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "23 22 0:21 / /proc rw,nosuid shared:2 - proc proc rw\n"
    "40 22 8:17 / /media/u/USB\\040STICK rw shared:3 - vfat /dev/sdb1 rw\n"
    "41 22 0:50 / /mnt/share rw shared:4 - cifs //server/share rw\n"
    "42 22 0:51 / /home/u/remote rw shared:5 - fuse.sshfs u@host: rw\n"
    "43 22 11:0 / /mnt/cd ro shared:6 - iso9660 /dev/sr0 ro\n"
    "44 22 8:2 / /mnt/data rw shared:7 - ext4 /dev/sda2 rw\n"
    "45 44 8:3 / /mnt/data/inner rw shared:8 - nfs4 server:/x rw\n"
    "broken line\n";

TEST(MountTable, ParsesMountPointsTypesAndSources)
{
    const auto table = parseMountInfo(kMountInfo);
    ASSERT_EQ(table.size(), 8u);
    EXPECT_EQ(table[0].mountPoint, "/");
    EXPECT_EQ(table[0].fsType, "ext4");
    EXPECT_EQ(table[0].source, "/dev/sda1");
    EXPECT_EQ(table[2].mountPoint, "/media/u/USB STICK");
    EXPECT_EQ(table[4].fsType, "fuse.sshfs");
}

TEST(MountTable, PathBelongsToTheDeepestMount)
{
    const auto table = parseMountInfo(kMountInfo);
    EXPECT_EQ(mountOf("/home/u/doc", table)->mountPoint, "/");
    EXPECT_EQ(mountOf("/mnt/data/inner/x", table)->mountPoint, "/mnt/data/inner");
    EXPECT_EQ(mountOf("/mnt/data/innerx", table)->mountPoint, "/mnt/data");
    EXPECT_EQ(mountOf("/mnt/data", table)->mountPoint, "/mnt/data");
}

TEST(MountTable, KindsOfMounts)
{
    const auto table = parseMountInfo(kMountInfo);
    const auto kind = [&](const char* path, bool removable = false) {
        return classifyMount(*mountOf(path, table), removable);
    };
    EXPECT_EQ(kind("/home/u"), DriveKind::Fixed);
    EXPECT_EQ(kind("/home/u", true), DriveKind::Removable);
    EXPECT_EQ(kind("/media/u/USB STICK/a"), DriveKind::Removable);
    EXPECT_EQ(kind("/mnt/share/a"), DriveKind::Network);
    EXPECT_EQ(kind("/home/u/remote/a"), DriveKind::Network);
    EXPECT_EQ(kind("/mnt/cd/a"), DriveKind::CdRom);
    EXPECT_EQ(kind("/mnt/data/inner"), DriveKind::Network);
}

TEST(MountTable, ThisMachine)
{
    EXPECT_TRUE(isMountPoint("/"));
    EXPECT_TRUE(isMountPoint("/proc"));
    EXPECT_FALSE(isMountPoint("/proc/self"));
    EXPECT_EQ(driveKindOf("/proc"), DriveKind::Fixed);
    EXPECT_TRUE(deviceIdOf("/").has_value());
    EXPECT_FALSE(deviceIdOf("/nonexistent/path").has_value());
    EXPECT_EQ(canonicalFolder("/nonexistent//a/"), "/nonexistent/a");
}

} // namespace
} // namespace mvx
