#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "album/TrackInfo.h"

namespace corvane {

inline constexpr const char* kCddbPath = "/~cddb/cddb.cgi";

// One album offered by a query answer. All texts are UTF-8.
struct DiscMatch {
    std::string category;
    std::uint32_t discId = 0;
    std::string artist;  // empty when the line had no "/"
    std::string title;

    bool operator==(const DiscMatch&) const = default;
};

// One CDDB server. Coordinates are degrees x 60 + minutes.
struct CddbSite {
    std::string host;
    std::int32_t port = 80;
    std::string path = kCddbPath;
    bool north = true;
    std::int32_t latitudeMinutes = 0;
    bool east = true;
    std::int32_t longitudeMinutes = 0;
    std::string description;

    bool operator==(const CddbSite&) const = default;
};

// One parsed xmcd album record.
struct DiscRecord {
    std::vector<std::int32_t> frameOffsets;  // 75 frames per second
    std::int32_t discLength = 0;             // seconds
    std::int32_t revision = 0;
    std::string submitterName;
    std::string submitterVersion;
    std::string submitterComment;
    std::uint32_t discId = 0;
    std::string artist;
    std::string album;
    std::vector<std::string> trackTitles;
    std::string extendedData;
    std::vector<std::string> trackExtended;
    std::vector<std::int32_t> playOrder;
    std::int32_t year = 0;
    std::string genre;
    // One per track when they differ from the album's artist (a
    // compilation); empty otherwise. xmcd records leave it empty.
    std::vector<std::string> trackArtists;
    // Of a MusicBrainz release: its ids, one recording id per track, and
    // which disc of how many the record is (0 when there is one).
    AlbumIds ids;
    std::vector<std::string> recordingIds;
    std::int32_t discNumber = 0;
    std::int32_t discCount = 0;

    bool operator==(const DiscRecord&) const = default;
};

}  // namespace corvane
