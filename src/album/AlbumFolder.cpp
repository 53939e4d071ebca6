#include "album/AlbumFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace corvane {

namespace {

// Component texts are kept up to their first NUL.
std::string UpToNul(std::string text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) {
        text.resize(nul);
    }
    return text;
}

std::string TrackText(int track) {
    if (track < 0) {
        return " - ";
    }
    return (track < 10 ? "Track 0" : "Track ") + std::to_string(track);
}

// Symbolic links count as what they point to.
bool IsRegularFile(int dirFd, const dirent& entry) {
    if (entry.d_type == DT_REG) {
        return true;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return false;
    }
    struct stat info {};
    return ::fstatat(dirFd, entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

// The names of the MP3 files of a folder, in directory order.
std::vector<std::string> ListMp3Names(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (IsMp3FileName(entry->d_name) && IsRegularFile(::dirfd(dir), *entry)) {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
    return names;
}

// The folder as the user named it when that is a plain absolute path (a
// path through a symbolic link stays so), else the resolved current
// directory.
std::string AbsoluteFolder(const std::string& path) {
    const std::filesystem::path given(path);
    const bool plain = given.is_absolute() &&
                       std::none_of(given.begin(), given.end(),
                                    [](const auto& part) { return part == "." || part == ".."; });
    std::string folder = plain ? given.lexically_normal().string() : std::string();
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    if (folder.empty()) {
        std::error_code error;
        folder = std::filesystem::current_path(error).string();
        if (error || folder.empty()) {
            folder = path;
        }
    }
    return folder;
}

// Why a damaged file counts as empty, as the status line says it.
std::string DamageReason(const TrackInfo& file) {
    if (file.status == FileStatus::kRead) {
        return "no audio frames";
    }
    if (file.openError == 0 || file.openError == EILSEQ) {
        return "no MPEG audio found";
    }
    std::string reason = std::strerror(file.openError);
    if (!reason.empty()) {
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    }
    return reason;
}

}  // namespace

bool IsMp3FileName(std::string_view name) {
    static constexpr std::string_view kSuffix = ".mp3";
    if (name.size() < kSuffix.size()) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - kSuffix.size());
    return std::equal(tail.begin(), tail.end(), kSuffix.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

bool ReadTrackInfo(TrackInfo& record, Mp3InfoObject& mp3) {
    if (const int error = mp3.Open(record.filePath); error != 0) {
        record.openError = error;
        return false;
    }
    record.openError = 0;
    record.bitrate = mp3.GetBitrate();
    record.track = TrackText(mp3.GetTrack());
    record.playSeconds = mp3.GetPlaySeconds();
    record.playTime = mp3.GetPlayTime();
    record.auxValue = mp3.GetAuxValue();
    record.fileType = UpToNul(mp3.GetFileType());
    record.lengthExact = mp3.IsLengthExact() != 0;
    mp3.GetCdFrameRange(record.shortestCdFrames, record.longestCdFrames);
    if (mp3.HasTag() != 0) {
        record.title = UpToNul(mp3.GetTitle());
        record.artist = UpToNul(mp3.GetArtist());
        record.album = UpToNul(mp3.GetAlbum());
        const int year = mp3.GetYear();
        record.year = year > 0 ? std::to_string(year) : std::string();
        record.genre = UpToNul(mp3.GetGenre());
        record.comment = UpToNul(mp3.GetComment());
        record.tagCddbId = UpToNul(mp3.GetDiscTag(DiscTag::kCddbId));
        record.tagItunesCddb = UpToNul(mp3.GetDiscTag(DiscTag::kItunesCddb));
        record.tagMusicBrainzId = UpToNul(mp3.GetDiscTag(DiscTag::kMusicBrainzId));
        record.tagCdToc = mp3.GetDiscTag(DiscTag::kCdToc);
        record.ids.musicBrainzAlbumId = UpToNul(mp3.GetDiscTag(DiscTag::kMusicBrainzAlbumId));
        const TagDetails details = mp3.GetTagDetails();
        record.albumArtist = UpToNul(details.albumArtist);
        record.trackCount = details.trackCount;
        record.discNumber = details.discNumber;
        record.discCount = details.discCount;
        record.coverMime = UpToNul(details.coverMime);
        record.coverBytes = static_cast<std::uint32_t>(details.cover.size());
    }
    record.status = FileStatus::kRead;
    return true;
}

int ScanFolder(AlbumFolder& album, const std::string& path, Mp3InfoObject& mp3,
               const ScanProgress& progress) {
    if (path.empty() || ::chdir(path.c_str()) != 0) {
        return -1;
    }
    return ReadFolderFiles(album, AbsoluteFolder(path), mp3, progress);
}

int ReadFolderFiles(AlbumFolder& album, const std::string& folder, Mp3InfoObject& mp3,
                    const ScanProgress& progress) {
    album.folder = folder;
    album.files.clear();
    album.tracks.clear();

    std::vector<std::string> names = ListMp3Names(folder);
    // Byte order: upper case before lower case, UTF-8 in code point order.
    std::sort(names.begin(), names.end());
    const std::string prefix = album.folder == "/" ? "/" : album.folder + "/";
    album.files.reserve(names.size());
    for (std::string& name : names) {
        TrackInfo record;
        record.filePath = prefix + name;
        record.fileName = std::move(name);
        if (!ReadTrackInfo(record, mp3)) {
            record.status = FileStatus::kDamaged;
        }
        album.files.push_back(std::move(record));
        if (progress) {
            progress(album.files.size(), names.size());
        }
    }
    return static_cast<int>(album.files.size());
}

bool IsDamagedFile(const TrackInfo& file) {
    return file.status == FileStatus::kDamaged ||
           (file.status == FileStatus::kRead && file.playTime <= 0.0);
}

std::vector<std::string> DamagedFileLines(const TrackList& files) {
    std::vector<std::string> lines;
    for (const TrackInfo& file : files) {
        if (IsDamagedFile(file)) {
            lines.push_back("Damaged: " + file.fileName + " (" + DamageReason(file) + ")");
        }
    }
    return lines;
}

std::string DamagedDiscIdText(const TrackList& files) {
    const auto count =
        static_cast<std::size_t>(std::count_if(files.begin(), files.end(), IsDamagedFile));
    if (count == 0) {
        return {};
    }
    const bool one = count == 1;
    return "The DISK ID counts " +
           (one ? std::string("the damaged file") : std::to_string(count) + " damaged files") +
           " as " + (one ? "a track" : "tracks") +
           " of length 0, so it cannot match the album: repair or remove " + (one ? "it" : "them") +
           " for a lookup by DISK ID.";
}

const TrackInfo* FindFileRecord(const TrackList& files, std::string_view fileName) {
    const auto found = std::find_if(files.begin(), files.end(), [&](const TrackInfo& record) {
        return record.fileName == fileName;
    });
    return found != files.end() ? &*found : nullptr;
}

}  // namespace corvane
