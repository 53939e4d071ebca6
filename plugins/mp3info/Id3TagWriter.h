#pragma once

#include <string>

#include "FileHandle.h"

namespace corvane {

// The fields that the program writes; texts are UTF-8.
struct Id3WriteValues {
    std::string title;
    std::string artist;
    std::string album;
    std::string year;  // decimal text; "0" or empty removes the year
    std::string comment;
    std::string track;  // "7", "07", "Track 07"; " - " or no number removes it
    std::string genre;  // a name, written as text
};

struct TagWriteResult {
    int error = 0;       // 0 or an errno value
    std::string reason;  // why the write failed, for the log; empty on success
};

// Writes an ID3v2.3 tag into the file (and updates an ID3v1 tag that is
// already there), keeping every other frame. The old tag ends where
// LeadingTagEnd says. The audio is never moved in place: a tag that fits the
// room of the old one is overwritten there, otherwise a complete copy is
// written beside the file, flushed and renamed over it with the file's
// permissions (through a symbolic link, its target is written). Before the
// file changes, the points of the new bytes that a tag write can move are
// checked (see AudioChange): the scanner must find the audio where the new
// tag puts it, or nothing is replaced. On failure the file is left as it was.
// When a copy replaced the file and `replaced` is given, it receives a
// descriptor of the old file, whose close frees its blocks (see
// BackgroundCloser).
TagWriteResult WriteId3Tag(const std::string& path, const Id3WriteValues& values,
                           FileHandle* replaced = nullptr);

}  // namespace corvane
