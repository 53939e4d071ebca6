#pragma once

#include <string>
#include <string_view>

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
// list as damaged.
int ScanFolder(AlbumFolder& album, const std::string& path, Mp3InfoObject& mp3);

// Fills record, whose filePath is set, through the component. Returns false,
// leaving the record unchanged, when the component cannot open the file.
bool ReadTrackInfo(TrackInfo& record, Mp3InfoObject& mp3);

// True for names that end in ".mp3", ignoring case.
bool IsMp3FileName(std::string_view name);

// The first record whose fileName equals fileName exactly, or null.
const TrackInfo* FindFileRecord(const TrackList& files, std::string_view fileName);

}  // namespace corvane
