#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "album/TrackInfo.h"

namespace corvane {

// A pairing written by the user, one "file name<TAB>track number" line per
// file, read into the record indexes of the files and of the tracks, row
// against row. Blank lines are skipped. False with a one-line reason when a
// line names no file or no track, or names one twice.
bool ParsePairing(std::string_view text, const TrackList& files, const TrackList& tracks,
                  std::vector<int>& fileRows, std::vector<int>& trackRows, std::string& problem);

// The same, read from a file.
bool ReadPairingFile(const std::string& path, const TrackList& files, const TrackList& tracks,
                     std::vector<int>& fileRows, std::vector<int>& trackRows, std::string& problem);

}  // namespace corvane
