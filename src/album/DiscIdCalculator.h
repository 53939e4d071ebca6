#pragma once

#include <cstdint>
#include <vector>

#include "album/TrackInfo.h"

namespace corvane {

// One position on the CD, as the CDDB query sends it: minutes, seconds and
// frames (75 per second) from the start of the disc.
struct CdOffset {
    std::int32_t minutes = 0;
    std::int32_t seconds = 0;
    std::int32_t frames = 0;

    bool operator==(const CdOffset&) const = default;
};

// One entry per track start, then one for the lead-out.
using OffsetList = std::vector<CdOffset>;

// Turns the play times of the album's files, in list order, into the CD
// positions the disc would have and into its CDDB disc id.
class DiscIdCalculator {
public:
    // A track start or the lead-out. Track frames may carry a fraction.
    struct TrackPosition {
        double minutes = 0;
        double seconds = 0;
        double frames = 0;
        double offset = 0;  // in frames; 0 for the lead-out
    };

    // Returns the disc id and keeps the positions for GetOffsets, replacing
    // earlier ones. An empty list gives 0 and no positions.
    std::uint32_t ComputeDiscId(const TrackList& files);

    // Empties offsets, then appends one entry per track and the lead-out.
    // Leaves offsets alone when nothing has been computed.
    void GetOffsets(OffsetList& offsets) const;

    int TrackCount() const { return count_; }
    const std::vector<TrackPosition>& Positions() const { return positions_; }

private:
    std::int32_t count_ = 0;
    std::vector<TrackPosition> positions_;
};

// The sum of the decimal digits of value (0 for 0).
int DigitSum(std::int64_t value);

}  // namespace corvane
