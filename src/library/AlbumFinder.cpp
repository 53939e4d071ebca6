#include "library/AlbumFinder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

#include "album/AlbumFolder.h"
#include "library/DiscMarker.h"
#include "processing/RunRecovery.h"

namespace corvane {

namespace {

struct Listing {
    bool hasMp3 = false;
    std::vector<std::string> folders;  // names, sorted
    std::set<std::string> links;       // those of the folders reached through a link
};

// What an entry is, from the listing's type where it gives one: a stat per
// file would be most of a large tree's listing.
mode_t EntryType(DIR* dir, const dirent& entry, bool& link) {
    link = entry.d_type == DT_LNK;
    if (entry.d_type == DT_DIR) {
        return S_IFDIR;
    }
    if (entry.d_type == DT_REG) {
        return S_IFREG;
    }
    struct stat info {};
    if (entry.d_type == DT_UNKNOWN &&
        ::fstatat(::dirfd(dir), entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        link = S_ISLNK(info.st_mode);
    }
    if (::fstatat(::dirfd(dir), entry.d_name, &info, 0) != 0) {
        return 0;
    }
    return info.st_mode & S_IFMT;
}

Listing ListFolder(const std::string& folder) {
    Listing listing;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return listing;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') {
            continue;  // hidden folders, ".", "..", the run's own folders
        }
        bool link = false;
        const mode_t type = EntryType(dir, *entry, link);
        if (type == S_IFDIR) {
            listing.folders.push_back(name);
            if (link) {
                listing.links.insert(name);
            }
        } else if (type == S_IFREG && IsMp3FileName(name)) {
            listing.hasMp3 = true;
        }
    }
    ::closedir(dir);
    std::sort(listing.folders.begin(), listing.folders.end());
    return listing;
}

// The folder or one of its folders holds MP3 files.
bool HoldsMp3Files(const std::string& folder) {
    const Listing listing = ListFolder(folder);
    return listing.hasMp3 || std::any_of(listing.folders.begin(), listing.folders.end(),
                                         [&](const std::string& name) {
                                             return ListFolder(folder + "/" + name).hasMp3;
                                         });
}

std::string NameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

LibraryAlbum OneFolderAlbum(const std::string& folder) {
    LibraryAlbum album;
    album.folder = folder;
    album.discs.push_back({folder, {}, {}, false});
    return album;
}

// The discs in the order of their numbers.
LibraryAlbum DiscsAlbum(const std::string& key, std::vector<std::pair<int, std::string>> discs) {
    std::sort(discs.begin(), discs.end());
    LibraryAlbum album;
    album.folder = key;
    for (const auto& [number, folder] : discs) {
        album.discs.push_back({folder, {}, {}, false});
    }
    return album;
}

}  // namespace

// What a walked folder leaves to its parent: an album folder without album
// folders below, which the parent may still join with its siblings.
struct AlbumFinder::Walked {
    bool leaf = false;
    std::string folder;
};

bool AlbumFinder::Find(const std::string& root, const AlbumSink& sink) {
    // Links are judged by where they really lead, so the root is too.
    std::error_code error;
    root_ = std::filesystem::canonical(root, error).string();
    if (error) {
        return false;
    }
    struct stat info {};
    if (::stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return false;
    }
    visited_.insert({info.st_dev, info.st_ino});
    const Walked top = Walk(root, sink);
    if (top.leaf) {
        Emit(OneFolderAlbum(top.folder), sink);
    }
    return true;
}

// A folder is entered once, and only when it lies inside the root: a link
// out of the root or into a loop is not followed. A folder that is no link
// lies where its parent does, so only links need their real path.
bool AlbumFinder::Enter(const std::string& path, bool link) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return false;
    }
    if (link) {
        std::error_code error;
        const std::string real = std::filesystem::canonical(path, error).string();
        if (error || (real != root_ && real.rfind(root_ + "/", 0) != 0)) {
            return false;
        }
    }
    return visited_.insert({info.st_dev, info.st_ino}).second;
}

AlbumFinder::Walked AlbumFinder::Walk(const std::string& folder, const AlbumSink& sink) {
    const Listing listing = ListFolder(folder);
    std::vector<std::string> leaves;
    bool albumsBelow = false;
    for (const std::string& name : listing.folders) {
        if (stop_) {
            return {};
        }
        const std::string path = folder + "/" + name;
        if (!Enter(path, listing.links.count(name) != 0)) {
            continue;
        }
        if (const std::string album = DoneAlbumOf(path); !album.empty()) {
            // Reported once, where its files are; a folder the run emptied is not.
            if (HoldsMp3Files(path)) {
                LibraryAlbum done = OneFolderAlbum(album);
                done.state = AlbumState::kDone;
                Emit(std::move(done), sink);
            }
            continue;
        }
        const Walked child = Walk(path, sink);
        if (child.leaf) {
            leaves.push_back(child.folder);
        }
        albumsBelow = albumsBelow || child.leaf;
    }
    // Disc folders that are the only MP3 folders here make one album of this folder.
    const bool allDiscs = !listing.hasMp3 && leaves.size() > 1 &&
                          std::all_of(leaves.begin(), leaves.end(), [](const std::string& leaf) {
                              return DiscFolderNumber(NameOf(leaf)) > 0;
                          });
    if (allDiscs) {
        std::vector<std::pair<int, std::string>> discs;
        for (const std::string& leaf : leaves) {
            discs.emplace_back(DiscFolderNumber(NameOf(leaf)), leaf);
        }
        Emit(DiscsAlbum(folder, std::move(discs)), sink);
        return {};
    }
    // Siblings that differ only by a disc marker are one album.
    std::map<std::string, std::vector<std::pair<int, std::string>>> groups;
    for (const std::string& leaf : leaves) {
        int number = 0;
        const std::string base = StripDiscMarker(NameOf(leaf), number);
        groups[number > 0 ? base : leaf].emplace_back(number, leaf);
    }
    for (auto& [base, discs] : groups) {
        if (discs.size() > 1) {
            const std::string first = std::min_element(discs.begin(), discs.end())->second;
            Emit(DiscsAlbum(first, std::move(discs)), sink);
        } else {
            Emit(OneFolderAlbum(discs.front().second), sink);
        }
    }
    if (listing.hasMp3 && albumsBelow) {
        Emit(OneFolderAlbum(folder), sink);
        return {};
    }
    return {listing.hasMp3, folder};
}

void AlbumFinder::Emit(LibraryAlbum album, const AlbumSink& sink) const {
    if (!stop_) {
        sink(std::move(album));
    }
}

std::string AlbumFinder::DoneAlbumOf(const std::string& folder) const {
    if (again_) {
        return {};
    }
    for (const auto& [dir, album] : filedDirectories_) {
        if (folder == dir || folder.rfind(dir + "/", 0) == 0) {
            return album;
        }
    }
    // Its own finished journal, or its parent's that made it the album directory.
    const FoundRun run = FindRun(folder);
    return run.found && run.stage == RunStage::kFinished ? folder : std::string();
}

}  // namespace corvane
