#pragma once

#include <string>
#include <vector>

namespace corvane {

// What this program takes from one MusicBrainz release. Texts are UTF-8;
// a value the answer did not hold is empty or 0.
struct MbTrack {
    int position = 0;
    std::string title;
    std::string artist;  // the track's artist credit, joined
    int lengthMs = 0;    // 0 when unknown
    std::string recordingId{};

    bool operator==(const MbTrack&) const = default;
};

struct MbMedium {
    int position = 0;
    std::string format;                // "CD", "Enhanced CD", ...
    std::vector<std::string> discIds;  // the MusicBrainz disc ids it holds
    std::vector<MbTrack> tracks;       // in medium order

    bool operator==(const MbMedium&) const = default;
};

struct MbRelease {
    std::string id;
    std::string title;
    std::string artist;  // the artist credit joined with its join phrases
    std::string date;    // "1999", "1999-05" or "1999-05-04"
    std::string country;
    std::string genre;  // the release group's most voted genre, as MusicBrainz spells it
    std::vector<MbMedium> media;

    bool operator==(const MbRelease&) const = default;
};

// A parsed answer of the disc id lookup: the releases of an exact disc id,
// or those the server matched by the table of contents, closest first.
struct MbAnswer {
    std::string discId;  // set when the server knew the disc id itself
    std::vector<MbRelease> releases;

    bool operator==(const MbAnswer&) const = default;
};

}  // namespace corvane
