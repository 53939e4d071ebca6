#include "widgets/MountTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "support/TestSupport.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMounts =
    "/dev/nvme0n1p2 / ext4 rw,relatime 0 0\n"
    "proc /proc proc rw,nosuid 0 0\n"
    "tmpfs /run tmpfs rw 0 0\n"
    "/dev/nvme0n1p1 /boot/efi vfat rw 0 0\n"
    "/dev/sdb1 /media/user/MY\\040STICK vfat rw,nosuid 0 0\n"
    "server:/export /mnt/nas nfs4 rw,vers=4.2 0 0\n"
    "//host/share /home/user/share cifs rw 0 0\n"
    "user@box: /home/user/remote fuse.sshfs rw 0 0\n"
    "/dev/sdc1 /mnt/data ext4 rw 0 0\n"
    "/dev/sdd1 /home/user/win fuseblk rw 0 0\n"
    "autofs /mnt/auto autofs rw 0 0\n"
    "garbage-line\n";

// Network (nfs, cifs, sshfs; not fuseblk) and removable mounts are slow.
TEST(MountTable, SlowFoldersAndMediaAreNetworkAndRemovableMounts) {
    EXPECT_EQ(UnescapeMountField("a\\011b\\134c\\04"), std::string("a\tb\\c\\04"));
    std::vector<MountEntry> entries = ParseMountTable(kMounts);
    ASSERT_EQ(entries.size(), 11u);  // the garbage line is left out
    entries[4].removable = true;
    const MountTable table(entries);
    EXPECT_TRUE(table.IsSlowMountPoint("/media/user/MY STICK"));
    EXPECT_FALSE(table.IsSlowMountPoint("/mnt/nas/music"));
    EXPECT_FALSE(table.IsSlowMountPoint("/home/user/win"));
    EXPECT_TRUE(table.IsOnSlowMount("/mnt/nas/music/album"));
    EXPECT_FALSE(table.IsOnSlowMount("/home/user/remote-not/x"));  // whole components only
    EXPECT_EQ(table.MountOf("/boot/efi/EFI")->fsType, "vfat");     // the longest mount point

    // Media: mounts under the media folders and the slow ones, in table order.
    std::vector<std::string> points;
    for (const MountEntry& m : table.MediaMounts()) {
        points.push_back(m.mountPoint);
    }
    EXPECT_EQ(points,
              (std::vector<std::string>{"/media/user/MY STICK", "/mnt/nas", "/home/user/share",
                                        "/home/user/remote", "/mnt/data"}));
}

TEST(MountTable, RemovableDevicesFromTheSysTree) {
    test::TempDir sys;
    const fs::path block = fs::path(sys.path()) / "class" / "block";
    fs::create_directories(block);
    // sdb says it is removable; sdc does not, but hangs off a USB controller.
    for (const auto& [bus, name, removable] :
         {std::tuple{"host", "sdb", "1\n"}, std::tuple{"ata1", "sda", "0\n"},
          std::tuple{"usb1", "sdc", "0\n"}}) {
        const fs::path disk = fs::path(sys.path()) / "devices" / "pci0" / bus / "block" / name;
        const std::string part = std::string(name) + "1";
        fs::create_directories(disk / part);
        test::WriteFileBytes((disk / part / "partition").string(), "1\n");
        test::WriteFileBytes((disk / "removable").string(), removable);
        fs::create_directory_symlink(disk, block / name);
        fs::create_directory_symlink(disk / part, block / part);
    }
    EXPECT_TRUE(IsRemovableDevice("/dev/sdb", sys.path()));
    EXPECT_TRUE(IsRemovableDevice("/dev/sdc1", sys.path()));  // on USB
    EXPECT_FALSE(IsRemovableDevice("/dev/nosuch", sys.path()));

    const std::string mounts = sys.File("mounts");
    test::WriteFileBytes(mounts, "/dev/sdb1 /media/x vfat rw 0 0\n/dev/sda1 / ext4 rw 0 0\n");
    const MountTable table = MountTable::Read(mounts, sys.path());
    ASSERT_EQ(table.Entries().size(), 2u);
    EXPECT_TRUE(table.Entries()[0].removable);
    EXPECT_FALSE(table.Entries()[1].removable);
    EXPECT_TRUE(MountTable::Read(sys.File("missing")).Entries().empty());
}

}  // namespace
}  // namespace corvane
