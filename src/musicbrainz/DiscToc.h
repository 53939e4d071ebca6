#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "album/DiscIdCalculator.h"

namespace corvane {

// The table of contents of the disc the files stand for, in CD frames (75 a
// second): the same positions the CDDB disc id is computed from, the first
// track at 150.
struct DiscToc {
    int firstTrack = 1;
    int lastTrack = 0;
    std::int32_t leadOut = 0;
    std::vector<std::int32_t> offsets;  // one per track

    bool operator==(const DiscToc&) const = default;
};

// The table of an offsets list (track starts, then the lead-out).
DiscToc TocFromOffsets(const OffsetList& offsets);
// The table of the album's files, in list order.
DiscToc TocFromFiles(const TrackList& files);

// "1+N+LEADOUT+OFF1+...+OFFN", as the web service's toc parameter takes it.
std::string TocParameter(const DiscToc& toc);

// The MusicBrainz disc id of the table, computed by libdiscid; empty when
// libdiscid refuses the table (no tracks, more than 99, positions that do
// not rise).
std::string MusicBrainzDiscId(const DiscToc& toc);

// The disc's length in frames from the first track's start to the lead-out.
std::int64_t TocLengthFrames(const DiscToc& toc);

}  // namespace corvane
