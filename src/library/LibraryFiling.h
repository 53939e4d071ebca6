#pragma once

#include <string>
#include <vector>

#include "album/AlbumFolder.h"
#include "components/Mp3InfoObject.h"
#include "library/LibraryAlbum.h"

namespace corvane {

// How the albums are filed, from the settings.
struct FilingSettings {
    std::string nameTemplate = "%0 - %2";
    std::string caseMode = "Do nothing";
    bool createPlaylist = true;
    bool moveDependencies = false;
};

// The name of the folder of disc number of a multi-disc album.
std::string DiscFolderName(int number);

// Where a found album is filed: "Artist - Album" of its first track, in the
// album folder for one disc, beside the disc folders for several.
std::string AlbumDirectoryOf(const LibraryAlbum& album);

// Files a found album with the single-album processing and its journal: one
// folder, or each disc into "Disc N" of one album directory beside the disc
// folders, with one playlist there that lists every disc in order. An album
// whose filing was begun is finished by its own journals first. Sets
// album.albumDirectory; returns true when every file was handled, else false
// with reason set. read: the discs' files as the lookup read them moments
// ago, or empty to read them again.
bool FileAlbum(LibraryAlbum& album, Mp3InfoObject& mp3, const FilingSettings& settings,
               std::string& reason, const std::vector<AlbumFolder>& read = {});

// What filing would do, as "apply --dry-run" prints it, for each disc.
std::vector<std::string> FilingPlan(const LibraryAlbum& album, Mp3InfoObject& mp3,
                                    const FilingSettings& settings,
                                    const std::vector<AlbumFolder>& read = {});

// Puts the album back with its journals, last disc first, and removes the
// playlist and album directory a multi-disc filing made. False with reason
// when something could not be put back.
bool UndoAlbum(const LibraryAlbum& album, std::string& reason);

}  // namespace corvane
