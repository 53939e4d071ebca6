#pragma once

#include <string>
#include <vector>

namespace corvane {

// What this program takes from an AcoustID lookup answer. Texts are UTF-8; a
// value the answer did not hold is empty or 0.

// Where a recording sits on one release: medium and track positions, 1-based.
struct AidTrackPlace {
    int medium = 0;
    int track = 0;
    int mediumTracks = 0;  // the medium's track count

    bool operator==(const AidTrackPlace&) const = default;
};

struct AidRelease {
    std::string id;  // the MusicBrainz release id
    std::string groupId;
    std::string title;
    int trackCount = 0;  // over all media
    int mediumCount = 0;
    int date = 0;  // yyyymmdd, missing parts 0; 0 when unknown
    std::vector<AidTrackPlace> places;

    bool operator==(const AidRelease&) const = default;
};

struct AidRecording {
    std::string id;  // the MusicBrainz recording id; kept alone when nothing else came
    std::string title;
    std::string artist;  // the artists' names joined
    int seconds = 0;
    std::vector<AidRelease> releases;

    bool operator==(const AidRecording&) const = default;
};

struct AidResult {
    std::string id;      // the AcoustID track id
    double score = 0.0;  // 0..1
    std::vector<AidRecording> recordings;

    bool operator==(const AidResult&) const = default;
};

struct AidAnswer {
    std::vector<AidResult> results;  // best first, as the service sorts them

    bool operator==(const AidAnswer&) const = default;
};

}  // namespace corvane
