#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "acoustid/AcoustIdRecords.h"
#include "musicbrainz/ReleaseRecords.h"

namespace corvane {

// Results under this score name no recording of the file.
inline constexpr double kMinAcoustIdScore = 0.5;

// A release that holds the recordings of the folder's files.
struct ReleaseChoice {
    std::string releaseId;
    std::string groupId;
    std::string title;
    int medium = 0;          // the medium that holds most of the files, 1-based
    int filesHeld = 0;       // files whose recording it holds, each counted once
    bool countFits = false;  // its track count (or that medium's) equals the file count
    int date = 0;            // yyyymmdd; 0 = unknown, counted as the latest

    bool operator==(const ReleaseChoice&) const = default;
};

// The releases that hold the recordings of at least 60% of the files, given
// one answer per file (an empty one for a file that found nothing): best
// first by files held, then by a track count equal to the file count, then
// by date. Of one release group only the best release is kept: the others
// are editions of the same album.
std::vector<ReleaseChoice> ChooseReleases(const std::vector<AidAnswer>& answers);

// How many choices at the head of the list weigh the same as the first
// (same files held, same track-count fit): more than one goes to the user.
std::size_t TiedChoices(const std::vector<ReleaseChoice>& choices);

// For each file, the index in medium.tracks of the track whose recording its
// fingerprint named, or -1: by recording id first, then by the position
// AcoustID gives on the release; a track goes to one file only.
std::vector<int> PairByRecording(const std::vector<AidAnswer>& answers,
                                 const std::string& releaseId, const MbMedium& medium);

}  // namespace corvane
