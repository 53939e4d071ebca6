#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "album/TrackInfo.h"

namespace corvane {

// One track of the playlist: the play time of the file itself, the label and
// the name the file has in the playlist's folder.
struct PlaylistEntry {
    std::uint32_t playSeconds = 0;
    std::string label;
    std::string fileName;
};

// "Artist - Album.m3u" of the album's first track, cleaned for a file name.
std::string PlaylistFileName(const TrackInfo& firstTrack);

// The track title; for an untitled track the file name without ".mp3".
std::string PlaylistLabel(const std::string& title, const std::string& fileName);

// The extended M3U text: "#EXTM3U", then "#EXTINF:<seconds>,<label>" and the
// bare file name for each entry, every line ended by CR LF. Line breaks inside
// a label would start a bogus entry, so they become blanks.
std::string BuildPlaylist(const std::vector<PlaylistEntry>& entries);

// A file name that a playlist line can hold.
bool CanListFileName(const std::string& fileName);

}  // namespace corvane
