#include "library/LibraryAlbum.h"

#include <algorithm>
#include <iterator>

namespace corvane {

namespace {

constexpr const char* kStateNames[] = {"listed", "found",  "choose", "not found", "damaged",
                                       "done",   "failed", "filing", "filed",     "undone"};

}  // namespace

const char* StateName(AlbumState state) {
    return kStateNames[static_cast<int>(state)];
}

bool StateFromName(const std::string& name, AlbumState& state) {
    for (std::size_t i = 0; i < std::size(kStateNames); ++i) {
        if (name == kStateNames[i]) {
            state = static_cast<AlbumState>(i);
            return true;
        }
    }
    return false;
}

LibraryAlbum Slim(LibraryAlbum album) {
    for (std::size_t i = 0; i < album.discs.size(); ++i) {
        TrackList& tracks = album.discs[i].tracks;
        tracks.resize(i == 0 ? std::min<std::size_t>(tracks.size(), 1) : 0);
        tracks.shrink_to_fit();
    }
    return album;
}

}  // namespace corvane
