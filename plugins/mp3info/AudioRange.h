#pragma once

#include <cstdint>

#include "ByteSource.h"

namespace corvane {

// Where the audio of a file lies once the tags around it are set aside.
struct AudioRange {
    std::uint64_t start = 0;  // after the leading ID3v2 tag(s)
    std::uint64_t end = 0;    // before ID3v1, APEv2, Lyrics3 and appended ID3v2 tags
    // Bytes of the ID3v2 tag at the very start of the file (header, body and
    // footer), 0 when there is none or when its size field runs past the end.
    std::uint64_t leadingTagSize = 0;
    bool hasId3v1 = false;
};

// Finds the audio range of a whole file. Never reads outside the source and
// always returns start <= end <= Size().
AudioRange FindAudioRange(ByteSource& source);

}  // namespace corvane
