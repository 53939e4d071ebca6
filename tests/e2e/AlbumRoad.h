#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cddb/ServerProcess.h"
#include "components/SettingsValues.h"
#include "support/TestSupport.h"

// The end-to-end tests' album road: real lame files under names that say nothing, their
// record for the local CDDB server, the settings of a working directory, and the result
// read back (names, bytes, tags through TagLib).
namespace corvane::test {

inline constexpr long kSampleRate = 44100;

struct EncodedTrack {
    std::string fileName;
    long samples;
    std::vector<std::string> lameArgs;
};

// The tags of a file as TagLib reads them, texts in UTF-8.
struct TagValues {
    std::string title;
    std::string artist;
    std::string album;
    unsigned year = 0;
    unsigned track = 0;
    std::string genre;
    std::string comment;
    bool operator==(const TagValues&) const = default;
};

class AlbumRoad {
public:
    AlbumRoad();

    // Why the road cannot run here (a missing plug-in, server or encoder), or empty.
    static std::string MissingTool();

    // Encodes the tracks into Album(), byte-wise by name the album's order. The disc id
    // comes from the encoded lengths, so a lookup works only when the reading is exact.
    bool MakeAlbum(const std::vector<EncodedTrack>& tracks);
    // "B.mp3", "a.MP3", "c (copy).mp3": 5, 3 and 4 seconds and some frames.
    bool MakeStandardAlbum();

    // Writes the album's record under category; comments: some tracks' EXTT, by index.
    void AddRecord(const std::string& category, const std::string& dtitle,
                   const std::vector<std::string>& titles,
                   const std::map<int, std::string>& comments = {});

    // The MusicBrainz stand-in's answer to the album's disc id: one release of one CD
    // whose tracks last what the files last.
    void AddMusicBrainzRelease(const std::string& artist, const std::string& title,
                               const std::string& date, const std::string& genre,
                               const std::vector<std::string>& titles);

    // Starts (or restarts) the local CDDB server; false when it did not start.
    bool StartServer();
    void StopServer() { server_.reset(); }
    int Port() const { return server_ ? server_->Port() : 0; }
    // "127.0.0.1:PORT", as the settings and --server take it.
    std::string ServerText() const;

    // Writes "Corvane Mp3.ini" into Work(); false on failure.
    bool WriteSettings(const SettingsValues& values) const;
    // Settings that ask the running server (for MusicBrainz too), with no first-run dialog.
    SettingsValues ServerSettings() const;

    const std::string& Album() const { return album_; }
    const std::string& Cddb() const { return cddb_; }
    const std::string& Work() const { return work_; }
    std::string TempFile(const std::string& name) const { return temp_.File(name); }
    const std::string& DiscId() const { return discId_; }
    const std::string& MusicBrainzId() const { return musicbrainzId_; }

private:
    TempDir temp_;
    std::string album_;
    std::string cddb_;
    std::string work_;
    std::string discId_;
    std::string musicbrainzId_;
    std::vector<long> trackFrames_;
    std::vector<int> frameOffsets_;
    int discLength_ = 0;
    std::unique_ptr<ServerProcess> server_;
};

// The bytes of each file below folder, by path relative to it.
std::map<std::string, std::string> Snapshot(const std::string& folder);
// The names in folder, sorted, leaving out the run journal's folder.
std::vector<std::string> Names(const std::string& folder);
// A file's bytes without its ID3v2 and ID3v1 tags: what tagging must leave untouched.
std::string AudioBytes(const std::string& bytes);
// False when TagLib cannot read the file as MPEG audio.
bool ReadTags(const std::string& path, TagValues& tags);

// The standard album landed in dir under names (track order): each file's audio is its
// source's in before, its tag the record "Los Niños / Días: Vol 1" (2001, genre) with the
// titles "Café", "Why?", "Last \"One\"" and the second track's comment.
void ExpectStandardAlbumTracks(const std::string& dir, const std::vector<std::string>& names,
                               const std::map<std::string, std::string>& before,
                               const std::string& genre = "Test",
                               const std::string& secondComment = "live take");

}  // namespace corvane::test
