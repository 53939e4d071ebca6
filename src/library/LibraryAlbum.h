#pragma once

#include <string>
#include <vector>

#include "album/TrackInfo.h"

namespace corvane {

// Where an album of the library run stands. The names are the ones the
// report and the command line show.
enum class AlbumState {
    kListed,    // found under the root, not identified yet
    kFound,     // one album fits: it waits to be filed
    kChoose,    // several albums, a different track count, or lengths that disagree
    kNotFound,  // no service knows it
    kDamaged,   // a file without audio
    kDone,      // made by an earlier run: skipped
    kFailed,    // an error, with its reason
    kFiling,    // its filing began; a killed run finishes it first
    kFiled,     // put in order
    kUndone,    // its filing was undone
};

const char* StateName(AlbumState state);
// False for a name that is none of them.
bool StateFromName(const std::string& name, AlbumState& state);

// One disc of an album: its folder and, once found, the tracks its files get.
struct LibraryDisc {
    std::string folder;           // absolute
    std::string discId;           // the CDDB disc id of its files, 8 hex digits
    TrackList tracks;             // the album tracks found for the files
    bool pairByKeywords = false;  // found by the keyword search: paired by title and time

    bool operator==(const LibraryDisc&) const = default;
};

// One album of the library: one folder, or the folders of its discs.
struct LibraryAlbum {
    std::string folder;  // the key: its folder, or the folder holding its disc folders
    std::vector<LibraryDisc> discs;
    AlbumState state = AlbumState::kListed;
    std::string reason;
    std::string source;          // the service that found it
    std::string albumDirectory;  // where it was filed

    bool MultiDisc() const { return discs.size() > 1; }
    bool operator==(const LibraryAlbum&) const = default;
};

// The album as a long run keeps it in its list: of the tracks only the first
// (which names the album directory and playlist, for an undo). The state
// keeps the tracks of the albums still to be filed.
LibraryAlbum Slim(LibraryAlbum album);

}  // namespace corvane
