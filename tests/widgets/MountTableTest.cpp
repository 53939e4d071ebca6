#include "widgets/MountTable.h"

#include <gtest/gtest.h>

#include <filesystem>

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

TEST(MountTable, ParsesFieldsAndUndoesEscapes) {
    const std::vector<MountEntry> entries = ParseMountTable(kMounts);
    ASSERT_EQ(entries.size(), 11u);
    EXPECT_EQ(entries[4].mountPoint, "/media/user/MY STICK");
    EXPECT_EQ(entries[4].fsType, "vfat");
    EXPECT_EQ(UnescapeMountField("a\\011b\\134c\\04"), std::string("a\tb\\c\\04"));
    EXPECT_FALSE(entries[0].network);
    EXPECT_TRUE(entries[5].network);   // nfs4
    EXPECT_TRUE(entries[6].network);   // cifs
    EXPECT_TRUE(entries[7].network);   // fuse.sshfs
    EXPECT_FALSE(entries[9].network);  // fuseblk: a local disk through FUSE
}

TEST(MountTable, SlowFoldersAreNetworkAndRemovableMounts) {
    std::vector<MountEntry> entries = ParseMountTable(kMounts);
    entries[4].removable = true;
    const MountTable table(entries);
    EXPECT_TRUE(table.IsSlowMountPoint("/mnt/nas"));
    EXPECT_TRUE(table.IsSlowMountPoint("/media/user/MY STICK"));
    EXPECT_FALSE(table.IsSlowMountPoint("/mnt/nas/music"));
    EXPECT_TRUE(table.IsOnSlowMount("/mnt/nas/music/album"));
    EXPECT_TRUE(table.IsOnSlowMount("/home/user/remote/x"));
    EXPECT_FALSE(table.IsOnSlowMount("/home/user/remote-not/x"));  // whole components only
    EXPECT_FALSE(table.IsOnSlowMount("/home/user/music"));
    EXPECT_FALSE(table.IsSlowMountPoint("/mnt/data"));
    ASSERT_NE(table.MountOf("/boot/efi/EFI"), nullptr);
    EXPECT_EQ(table.MountOf("/boot/efi/EFI")->fsType, "vfat");
    EXPECT_EQ(table.MountOf("/usr/bin")->mountPoint, "/");
}

TEST(MountTable, MediaAreMountsUnderMediaFoldersAndSlowOnes) {
    std::vector<MountEntry> entries = ParseMountTable(kMounts);
    entries[4].removable = true;
    const MountTable table(entries);
    std::vector<std::string> points;
    for (const MountEntry& m : table.MediaMounts()) {
        points.push_back(m.mountPoint);
    }
    const std::vector<std::string> expected = {
        "/media/user/MY STICK", "/mnt/nas", "/home/user/share", "/home/user/remote", "/mnt/data"};
    EXPECT_EQ(points, expected);
}

TEST(MountTable, RemovableDevicesFromTheSysTree) {
    test::TempDir sys;
    const fs::path block = fs::path(sys.path()) / "class" / "block";
    const fs::path sdb = fs::path(sys.path()) / "devices" / "pci0" / "host" / "block" / "sdb";
    const fs::path sda = fs::path(sys.path()) / "devices" / "pci0" / "ata1" / "block" / "sda";
    const fs::path stick = fs::path(sys.path()) / "devices" / "pci0" / "usb1" / "block" / "sdc";
    for (const fs::path& disk : {sdb, sda, stick}) {
        fs::create_directories(disk / (disk.filename().string() + "1"));
        test::WriteFileBytes((disk / (disk.filename().string() + "1") / "partition").string(),
                             "1\n");
    }
    test::WriteFileBytes((sdb / "removable").string(), "1\n");
    test::WriteFileBytes((sda / "removable").string(), "0\n");
    test::WriteFileBytes((stick / "removable").string(), "0\n");
    fs::create_directories(block);
    for (const fs::path& disk : {sdb, sda, stick}) {
        const std::string name = disk.filename().string();
        fs::create_directory_symlink(disk, block / name);
        fs::create_directory_symlink(disk / (name + "1"), block / (name + "1"));
    }
    EXPECT_TRUE(IsRemovableDevice("/dev/sdb1", sys.path()));
    EXPECT_TRUE(IsRemovableDevice("/dev/sdb", sys.path()));
    EXPECT_FALSE(IsRemovableDevice("/dev/sda1", sys.path()));
    EXPECT_TRUE(IsRemovableDevice("/dev/sdc1", sys.path()));  // on USB
    EXPECT_FALSE(IsRemovableDevice("server:/export", sys.path()));
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
