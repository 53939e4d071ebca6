#include "library/LibraryState.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "platform/FileSystem.h"
#include "platform/Json.h"

namespace corvane {

namespace {

constexpr const char* kStateFileName = "albums.jsonl";

void WriteTrack(JsonWriter& json, const TrackInfo& track) {
    json.BeginObject()
        .Key("artist")
        .String(track.artist)
        .Key("album")
        .String(track.album)
        .Key("title")
        .String(track.title)
        .Key("year")
        .String(track.year)
        .Key("genre")
        .String(track.genre)
        .Key("comment")
        .String(track.comment)
        .Key("track")
        .String(track.track)
        .Key("seconds")
        .UInt(track.playSeconds)
        .Key("disc")
        .Int(track.discNumber)
        .Key("discs")
        .Int(track.discCount)
        .EndObject();
}

TrackInfo ReadTrack(const nlohmann::json& json) {
    TrackInfo track;
    track.Clear();
    track.artist = json.value("artist", "");
    track.album = json.value("album", "");
    track.title = json.value("title", "");
    track.year = json.value("year", "");
    track.genre = json.value("genre", "");
    track.comment = json.value("comment", "");
    track.track = json.value("track", "");
    track.fileName = track.track;
    track.playSeconds = json.value("seconds", 0u);
    track.playTime = track.playSeconds;
    track.discNumber = json.value("disc", 0);
    track.discCount = json.value("discs", 0);
    return track;
}

// The tracks stay while the album is still to be filed, and only when the
// state is written: a dry run files nothing.
LibraryAlbum Kept(LibraryAlbum album, bool writable) {
    const bool toFile = album.state == AlbumState::kFound || album.state == AlbumState::kFiling;
    return toFile && writable ? album : Slim(std::move(album));
}

}  // namespace

std::string AlbumJson(const LibraryAlbum& album, bool withTracks, bool pretty) {
    JsonWriter json(pretty);
    json.BeginObject()
        .Key("folder")
        .String(album.folder)
        .Key("state")
        .String(StateName(album.state))
        .Key("reason")
        .String(album.reason)
        .Key("discIds")
        .BeginCompactArray();
    // An album that was not looked up has none.
    const bool looked = std::any_of(album.discs.begin(), album.discs.end(),
                                    [](const LibraryDisc& disc) { return !disc.discId.empty(); });
    for (const LibraryDisc& disc : looked ? album.discs : std::vector<LibraryDisc>()) {
        json.String(disc.discId);
    }
    json.EndArray().Key("source").String(album.source);
    json.Key("albumDirectory").String(album.albumDirectory);
    if (withTracks) {
        json.Key("discs").BeginArray();
        for (const LibraryDisc& disc : album.discs) {
            json.BeginObject().Key("folder").String(disc.folder);
            json.Key("byKeywords").Bool(disc.pairByKeywords).Key("tracks").BeginArray();
            for (const TrackInfo& track : disc.tracks) {
                WriteTrack(json, track);
            }
            json.EndArray().EndObject();
        }
        json.EndArray();
    }
    json.EndObject();
    return json.Text();
}

bool AlbumFromJson(const std::string& text, LibraryAlbum& album) {
    if (JsonNestsDeeperThan(text)) {
        return false;
    }
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (!json.is_object() || !json.contains("folder") || !json.contains("discs") ||
        !StateFromName(json.value("state", ""), album.state)) {
        return false;
    }
    try {
        album.folder = json.at("folder").get<std::string>();
        album.reason = json.value("reason", "");
        album.source = json.value("source", "");
        album.albumDirectory = json.value("albumDirectory", "");
        const auto& ids = json.at("discIds");
        album.discs.clear();
        for (const auto& disc : json.at("discs")) {
            LibraryDisc read;
            read.folder = disc.at("folder").get<std::string>();
            read.pairByKeywords = disc.value("byKeywords", false);
            for (const auto& track : disc.at("tracks")) {
                read.tracks.push_back(ReadTrack(track));
            }
            if (album.discs.size() < ids.size()) {
                read.discId = ids.at(album.discs.size()).get<std::string>();
            }
            album.discs.push_back(std::move(read));
        }
    } catch (const nlohmann::json::exception&) {
        return false;  // a line of the wrong shape counts as cut short
    }
    return !album.discs.empty();
}

LibraryState::LibraryState(const std::string& root) : folder_(root + "/" + kLibraryStateFolder) {
    std::string text;
    if (ReadWholeFile(folder_ + "/" + kStateFileName, text) != 0) {
        return;
    }
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        LibraryAlbum album;
        if (AlbumFromJson(text.substr(start, end - start), album)) {
            if (album.state == AlbumState::kFiling) {
                filedOrder_[album.folder] = lines_;
            }
            ++lines_;
            const std::string key = album.folder;  // the right side is evaluated first
            albums_[key] = Kept(std::move(album), true);
        }
    }
}

int LibraryState::Record(const LibraryAlbum& album) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (album.state == AlbumState::kFiling) {
        filedOrder_[album.folder] = lines_;
    }
    ++lines_;
    albums_[album.folder] = Kept(album, writable_);
    if (!writable_) {
        return 0;
    }
    ::mkdir(folder_.c_str(), 0755);
    const std::string path = folder_ + "/" + kStateFileName;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return LastError();
    }
    int error = WriteAll(fd, AlbumJson(album, true) + "\n");
    if (error == 0 && ::fdatasync(fd) != 0) {
        error = LastError();
    }
    ::close(fd);
    return error;
}

std::optional<LibraryAlbum> LibraryState::Find(const std::string& folder) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = albums_.find(folder);
    return found != albums_.end() ? std::optional<LibraryAlbum>(found->second) : std::nullopt;
}

std::set<std::string> LibraryState::DecidedFolders() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::set<std::string> folders;
    for (const auto& [folder, album] : albums_) {
        if (album.state != AlbumState::kListed && album.state != AlbumState::kFailed &&
            album.state != AlbumState::kUndone) {
            folders.insert(folder);
        }
    }
    return folders;
}

std::map<std::string, std::string> LibraryState::FiledDirectories() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::map<std::string, std::string> dirs;
    for (const auto& [folder, album] : albums_) {
        if (album.state == AlbumState::kFiled && !album.albumDirectory.empty()) {
            dirs[album.albumDirectory] = folder;
        }
    }
    return dirs;
}

std::vector<LibraryAlbum> LibraryState::Interrupted() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::vector<LibraryAlbum> albums;
    for (const auto& [folder, album] : albums_) {
        if (album.state == AlbumState::kFiling) {
            albums.push_back(album);
        }
    }
    return albums;
}

std::vector<LibraryAlbum> LibraryState::FiledNewestFirst() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::pair<long, const LibraryAlbum*>> filed;
    for (const auto& [folder, order] : filedOrder_) {
        const LibraryAlbum& album = albums_.at(folder);
        if (album.state == AlbumState::kFiled || album.state == AlbumState::kFiling) {
            filed.emplace_back(order, &album);
        }
    }
    std::sort(filed.begin(), filed.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<LibraryAlbum> albums;
    for (const auto& [order, album] : filed) {
        albums.push_back(*album);
    }
    return albums;
}

int WriteLibraryReport(const std::string& path, const std::vector<LibraryAlbum>& albums) {
    std::string text = "[\n";
    for (std::size_t i = 0; i < albums.size(); ++i) {
        text += "  " + AlbumJson(albums[i], false) + (i + 1 < albums.size() ? ",\n" : "\n");
    }
    text += "]\n";
    return WriteFileAtomically(path, text);
}

}  // namespace corvane
