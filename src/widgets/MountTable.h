#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// One line of the kernel's mount table.
struct MountEntry {
    std::string device;
    std::string mountPoint;  // raw bytes, octal escapes undone
    std::string fsType;
    bool network = false;    // a network or other FUSE file system
    bool removable = false;  // on removable media (USB stick, card, CD)
};

// Undoes the octal escapes (\040 for a space...) of a field of /proc/self/mounts.
std::string UnescapeMountField(std::string_view field);

// The lines of a /proc/self/mounts text; `network` is set from the type, `removable` is not.
std::vector<MountEntry> ParseMountTable(std::string_view text);

// nfs, cifs, sshfs and other network file systems, and FUSE mounts of any kind other than
// block-device ones (fuseblk).
bool IsNetworkFileSystem(std::string_view fsType);

// Whether the block device behind `device` (a /dev path, a /dev/disk/by-* link or a
// partition) is removable according to `sysRoot`/class/block; USB-attached disks count too.
bool IsRemovableDevice(const std::string& device, const std::string& sysRoot = "/sys");

// The mounts of the system, for deciding which folders are slow to list.
class MountTable {
public:
    MountTable() = default;
    explicit MountTable(std::vector<MountEntry> entries) : entries_(std::move(entries)) {}

    // Reads `mountsFile` and checks each block device under `sysRoot`. An unreadable file
    // gives an empty table.
    static MountTable Read(const std::string& mountsFile = "/proc/self/mounts",
                           const std::string& sysRoot = "/sys");

    const std::vector<MountEntry>& Entries() const { return entries_; }

    // The mount that holds `path` (the last mounted of the longest mount point that is a
    // whole-component prefix of it); null when none does.
    const MountEntry* MountOf(const std::string& path) const;
    // Whether `path` is the mount point of a network or removable mount.
    bool IsSlowMountPoint(const std::string& path) const;
    // Whether `path` lies on a network or removable mount.
    bool IsOnSlowMount(const std::string& path) const;
    // Mounted media to offer beside "/" and the home folder: network and removable mounts
    // and whatever is mounted below /media, /run/media or /mnt, one per mount point.
    std::vector<MountEntry> MediaMounts() const;

private:
    std::vector<MountEntry> entries_;
};

// Whether `prefix` names `path` itself or one of its ancestors.
bool IsPathPrefix(std::string_view prefix, std::string_view path);

}  // namespace corvane
