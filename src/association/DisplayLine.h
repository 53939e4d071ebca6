#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "album/TrackInfo.h"

namespace corvane {

// The row text of the association lists: "name [hh:mm:ss]", where the name
// is a file's title tag (its file name when the tag has none) or a track's
// title, and mm counts all minutes.
std::string FileDisplayLine(const TrackInfo& file);
std::string TrackDisplayLine(const TrackInfo& track);

struct DisplayLineParts {
    std::string name;
    std::uint32_t playSeconds = 0;
};

// Reads a display line back into its name and play time. Returns false, with
// empty parts, for a text that is not a display line (blank rows, "").
bool ParseDisplayLine(std::string_view line, DisplayLineParts& parts);

// Index of the first record whose play time and file name or title match the
// line exactly, or -1.
int FindRecordForLine(const TrackList& records, std::string_view line);

}  // namespace corvane
