#include "widgets/MountTable.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace corvane {

namespace fs = std::filesystem;

namespace {

// File systems whose listing goes over a network or through a user-space daemon.
constexpr std::array<std::string_view, 16> kNetworkTypes = {
    "nfs",  "nfs4",      "cifs",  "smb3",   "smbfs", "ncpfs", "afs",  "9p",
    "ceph", "glusterfs", "davfs", "lustre", "sshfs", "fuse",  "coda", "orangefs"};

// Kernel pseudo file systems and automount placeholders are never offered as media.
constexpr std::array<std::string_view, 20> kPseudoTypes = {
    "proc",       "sysfs",     "devtmpfs", "devpts",      "tmpfs",    "cgroup",    "cgroup2",
    "securityfs", "pstore",    "bpf",      "debugfs",     "tracefs",  "configfs",  "fusectl",
    "mqueue",     "hugetlbfs", "autofs",   "binfmt_misc", "efivarfs", "rpc_pipefs"};

std::string ReadFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string UnescapeMountField(std::string_view field) {
    auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && field.size() - i >= 4 && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            out.push_back(static_cast<char>(((field[i + 1] - '0') << 6) |
                                            ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

bool IsNetworkFileSystem(std::string_view fsType) {
    if (StartsWith(fsType, "fuse.")) {
        return true;
    }
    return std::find(kNetworkTypes.begin(), kNetworkTypes.end(), fsType) != kNetworkTypes.end();
}

std::vector<MountEntry> ParseMountTable(std::string_view text) {
    std::vector<MountEntry> entries;
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device;
        std::string mountPoint;
        std::string fsType;
        if (!(fields >> device >> mountPoint >> fsType)) {
            continue;
        }
        MountEntry entry;
        entry.device = UnescapeMountField(device);
        entry.mountPoint = UnescapeMountField(mountPoint);
        entry.fsType = fsType;
        entry.network = IsNetworkFileSystem(fsType);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool IsRemovableDevice(const std::string& device, const std::string& sysRoot) {
    if (!StartsWith(device, "/dev/")) {
        return false;
    }
    std::error_code ec;
    const fs::path real = fs::canonical(device, ec);
    const std::string name = (ec ? fs::path(device) : real).filename().string();
    if (name.empty()) {
        return false;
    }
    fs::path block = fs::path(sysRoot) / "class" / "block" / name;
    if (!fs::exists(block, ec)) {
        return false;
    }
    fs::path disk = fs::canonical(block, ec);
    if (ec) {
        disk = block;
    }
    // A partition's directory lies inside its disk's directory.
    if (fs::exists(disk / "partition", ec)) {
        disk = disk.parent_path();
    }
    if (ReadFirstLine(disk / "removable") == "1") {
        return true;
    }
    // USB disks often call themselves fixed, yet they come and go and can be slow.
    return disk.string().find("/usb") != std::string::npos;
}

MountTable MountTable::Read(const std::string& mountsFile, const std::string& sysRoot) {
    std::ifstream in(mountsFile);
    if (!in) {
        return {};
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<MountEntry> entries = ParseMountTable(text.str());
    for (MountEntry& entry : entries) {
        entry.removable = IsRemovableDevice(entry.device, sysRoot);
    }
    return MountTable(std::move(entries));
}

bool IsPathPrefix(std::string_view prefix, std::string_view path) {
    while (prefix.size() > 1 && prefix.back() == '/') {
        prefix.remove_suffix(1);
    }
    if (!StartsWith(path, prefix)) {
        return false;
    }
    return path.size() == prefix.size() || prefix == "/" || path[prefix.size()] == '/';
}

const MountEntry* MountTable::MountOf(const std::string& path) const {
    const MountEntry* best = nullptr;
    for (const MountEntry& entry : entries_) {
        // A later mount on the same point hides the earlier one, hence >=.
        if (IsPathPrefix(entry.mountPoint, path) &&
            (best == nullptr || entry.mountPoint.size() >= best->mountPoint.size())) {
            best = &entry;
        }
    }
    return best;
}

bool MountTable::IsSlowMountPoint(const std::string& path) const {
    const MountEntry* mount = MountOf(path);
    return mount != nullptr && IsPathPrefix(path, mount->mountPoint) &&
           (mount->network || mount->removable);
}

bool MountTable::IsOnSlowMount(const std::string& path) const {
    const MountEntry* mount = MountOf(path);
    return mount != nullptr && (mount->network || mount->removable);
}

std::vector<MountEntry> MountTable::MediaMounts() const {
    std::vector<MountEntry> media;
    for (const MountEntry& entry : entries_) {
        const std::string_view point = entry.mountPoint;
        const bool pseudo =
            std::find(kPseudoTypes.begin(), kPseudoTypes.end(), entry.fsType) != kPseudoTypes.end();
        const bool mediaFolder = IsPathPrefix("/media", point) ||
                                 IsPathPrefix("/run/media", point) || IsPathPrefix("/mnt", point);
        const bool system = point == "/" || IsPathPrefix("/proc", point) ||
                            IsPathPrefix("/sys", point) || IsPathPrefix("/dev", point) ||
                            (IsPathPrefix("/run", point) && !IsPathPrefix("/run/media", point)) ||
                            IsPathPrefix("/boot", point) || IsPathPrefix("/snap", point);
        if (pseudo || system || point == "/media" || point == "/mnt" || point == "/run/media") {
            continue;
        }
        if (!(entry.network || entry.removable || mediaFolder)) {
            continue;
        }
        auto same = std::find_if(media.begin(), media.end(), [&](const MountEntry& m) {
            return m.mountPoint == entry.mountPoint;
        });
        if (same != media.end()) {
            *same = entry;  // the later mount is the visible one
        } else {
            media.push_back(entry);
        }
    }
    return media;
}

}  // namespace corvane
