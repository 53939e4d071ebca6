#pragma once

#include <string>

#include "ByteSource.h"

namespace corvane {

// The ID3 fields of one file as the program shows them. Texts are UTF-8.
struct Id3Fields {
    bool hasTag = false;  // an ID3v1 or ID3v2 tag is present
    std::string title;
    std::string artist;
    std::string album;
    std::string comment;
    std::string genre;  // a name, also for numeric ID3 genres
    int year = 0;       // 0 = none
    int track = -1;     // -1 = none
    // Disc identifiers of rippers and players, as stored (see DiscTag).
    std::string cddbId;
    std::string itunesCddb;
    std::string musicBrainzDiscId;
    std::string cdToc;
};

// Reads the tags of an MP3 file through TagLib (ID3v2 first, then APE, then
// ID3v1). A file without tags, or one TagLib cannot read, gives empty fields.
// TagLib reads from `file`, so that a caching source serves the head and tail
// that the scan has read already.
Id3Fields ReadId3Fields(ByteSource& file);

// The number at the start of a track text such as "7", "07/12" or
// "Track 07"; -1 when there is none.
int ParseTrackNumber(const std::string& text);

}  // namespace corvane
