#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "album/TrackInfo.h"
#include "components/Mp3InfoObject.h"

namespace corvane {

// The album being worked on: the MP3 files of one folder and the tracks of
// the album found for them. Row k of files pairs with row k of tracks.
struct AlbumFolder {
    std::string folder;  // the folder scanned last, as an absolute path
    TrackList files;     // the album file list, sorted by file name
    TrackList tracks;    // the database track list, filled by the lookup
};

// Makes path the process's current directory (processing works relative to
// it), then reads every regular file whose name ends in ".mp3" in any case
// into album.files, sorted byte-wise by name, and empties album.tracks.
// Returns the number of files, or -1 when the folder cannot be entered; the
// album is then left as it was. A file the component cannot open stays in the
// list as damaged (status 0). progress, when given, hears after each file how
// many of how many are read.
using ScanProgress = std::function<void(std::size_t done, std::size_t total)>;
int ScanFolder(AlbumFolder& album, const std::string& path, Mp3InfoObject& mp3,
               const ScanProgress& progress = {});

// The same without changing the current directory, for a folder given as an
// absolute path: several threads may read folders at once, each with its own
// component object.
int ReadFolderFiles(AlbumFolder& album, const std::string& folder, Mp3InfoObject& mp3,
                    const ScanProgress& progress = {});

// Fills record, whose filePath is set, through the component. Returns false,
// leaving the record unchanged but for openError, when the component cannot
// open the file.
bool ReadTrackInfo(TrackInfo& record, Mp3InfoObject& mp3);

// A file that counts as a track of length 0: the component could not read it,
// or it holds no audio.
bool IsDamagedFile(const TrackInfo& file);
// One status line per damaged file, for after the scan:
// "Damaged: x.mp3 (no MPEG audio found)".
std::vector<std::string> DamagedFileLines(const TrackList& files);
// For before a disc id lookup: that the id counts the damaged files as tracks
// of length 0, so it cannot be the album's; empty when no file is damaged.
std::string DamagedDiscIdText(const TrackList& files);

// True for names that end in ".mp3", ignoring case.
bool IsMp3FileName(std::string_view name);

// The first record whose fileName equals fileName exactly, or null.
const TrackInfo* FindFileRecord(const TrackList& files, std::string_view fileName);

}  // namespace corvane
