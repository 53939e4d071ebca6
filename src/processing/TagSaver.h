#pragma once

#include <string>
#include <vector>

#include "album/TrackInfo.h"
#include "components/Mp3InfoObject.h"
#include "processing/AlbumCover.h"

namespace corvane {

// The tag fields typed in the main window.
struct TagFields {
    std::string artist;
    std::string album;
    std::string year;
    std::string comment;
    std::string genre;
    // Empty keeps the file's own value.
    std::string title{};
    std::string track{};  // "3" or "3/12"
    std::string albumArtist{};
    std::string disc{};    // "1" or "1/2"
    CoverPicture cover{};  // becomes the files' front cover
    int id3Version = 3;
};

// "3/12" gives 3 and 12, "3" gives 3 and 0; false when no number leads.
bool ParseNumberPair(const std::string& text, int& number, int& total);

enum class TagSaveOutcome {
    kSaved,
    kNoSelection,  // no row selected
    kNoRecord,     // the selected row names no file record
    kOpenFailed,   // the component cannot read the file as MP3
    kWriteFailed,  // the tag write failed; error holds the errno value
};

struct TagSaveResult {
    TagSaveOutcome outcome = TagSaveOutcome::kNoSelection;
    int error = 0;
    std::string reason;    // why the write failed, for the status line
    int record = -1;       // the file record that was handled
    int restoreError = 0;  // why a read-only file could not be made read-only again
};

// "ID3 Tag Files": stores the typed fields into the file record that the
// first selected row carries (selectedRecord; -1 = no selection) and writes
// them with the record's title and track number into that one file. The
// record keeps the typed values even when the write fails. A read-only file
// is writable only for the write.
TagSaveResult SaveTagOfSelectedFile(TrackList& files, int selectedRecord, const TagFields& fields,
                                    Mp3InfoObject& mp3Info);

// "ID3 Tag Files" on several selected rows: each file gets the fields the
// user filled in, and keeps its own value where a field was left empty.
std::vector<TagSaveResult> SaveTagOfFiles(TrackList& files, const std::vector<int>& records,
                                          const TagFields& fields, Mp3InfoObject& mp3Info);

// The track number for the tag from a file record's track text ("Track 07"
// gives "7", " - " gives ""): the text is for display, not for the tag.
std::string TrackNumberText(const std::string& trackText);

// Why a WriteTag failed, for the log: the component's own reason, or the
// text of the errno value.
std::string WriteFailureText(Mp3InfoObject& mp3Info, int error);

// The status line for a result: "ID3 information saved in "name"." or what
// went wrong.
std::string TagSaveStatusText(const TagSaveResult& result, const TrackList& files);
// The line after several files: how many were written.
std::string TagSaveCountText(const std::vector<TagSaveResult>& results);

}  // namespace corvane
