#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// What the scan made of a file. The numbers are the ones "scan --json" shows.
enum class FileStatus : std::int32_t {
    kCleared = -1,  // not read (an album track)
    kDamaged = 0,   // the component could not open it
    kRead = 1,
};

// The ids of the lookup that found the album, written into each file's tag so
// that the next lookup is exact; empty where the service gave none.
struct AlbumIds {
    std::string cddbDiscId{};  // 8 hex digits
    std::string musicBrainzAlbumId{};
    std::string musicBrainzAlbumArtistId{};
    std::string musicBrainzReleaseGroupId{};
    std::string musicBrainzDiscId{};
    std::string musicBrainzRecordingId{};  // of this track

    bool operator==(const AlbumIds&) const = default;
};

// One MP3 file of the album folder, or one track of the album found on the
// CDDB server.
struct TrackInfo {
    std::string fileName;  // for a database track: the new file name
    std::string filePath;
    std::string artist;
    std::string album;
    std::string title;
    std::string year;  // decimal text, empty when there is none
    std::string genre;
    std::string comment;
    std::string track;  // "Track 07" or " - " for files; the number for database tracks
    std::uint32_t playSeconds = 0;
    double playTime = 0.0;  // exact play time; the disc id is computed from it
    std::int32_t bitrate = 0;
    std::string fileType = "?";
    FileStatus status = FileStatus::kCleared;
    std::int32_t auxValue = 0;
    // Whether playTime is exact or an estimate; for an estimate, the whole
    // CD frames (1/75 s) the true length lies between.
    bool lengthExact = true;
    std::int32_t shortestCdFrames = 0;
    std::int32_t longestCdFrames = 0;
    // Disc identifiers the file's tag carries, as stored (see DiscTag).
    std::string tagCddbId{};
    std::string tagItunesCddb{};
    std::string tagMusicBrainzId{};
    std::string tagCdToc{};
    // The album's artist, which differs from the track's on a compilation.
    std::string albumArtist{};
    std::int32_t trackCount = 0;  // the album's tracks; 0 = unknown
    std::int32_t discNumber = 0;  // this disc of a multi-disc album; 0 = none
    std::int32_t discCount = 0;   // the album's discs; 0 = unknown
    // Of an album track: the ids that found the album. Of a file: the
    // MusicBrainz album id its tag carries.
    AlbumIds ids{};
    // Of a file: the embedded front cover's MIME type and size in bytes.
    std::string coverMime{};
    std::uint32_t coverBytes = 0;
    // Why the component could not open the file (an errno value; EILSEQ: no
    // MPEG audio in it); 0 when it could.
    std::int32_t openError = 0;
    // After an identification by sound: the same key on a file and on the
    // track its fingerprint named, so that the association pairs them
    // whatever the file's name, tag or length. Empty otherwise.
    std::string soundKey{};

    // Empties every field but auxValue, which is only carried along.
    void Clear();

    bool operator==(const TrackInfo&) const = default;
};

using TrackList = std::vector<TrackInfo>;

// Hours, total minutes and seconds, each at least two digits: 224 s gives
// "00:03:44", 3725 s gives "01:62:05". The minutes are not reduced by the
// hours; the association dialog reads them back as total minutes.
std::string FormatPlayTime(std::uint32_t playSeconds);
inline std::string FormatPlayTime(const TrackInfo& record) {
    return FormatPlayTime(record.playSeconds);
}

}  // namespace corvane
