#pragma once

#include <cstdint>

#include "ByteSource.h"

namespace corvane {

// Where the audio of a file lies once the tags around it are set aside.
struct AudioRange {
    std::uint64_t start = 0;  // after the leading ID3v2 tag(s)
    std::uint64_t end = 0;    // before ID3v1, APEv2, Lyrics3 and appended ID3v2 tags
    // Bytes of the ID3v2 tag at the very start of the file, as LeadingTagEnd
    // reads them; 0 when there is none.
    std::uint64_t leadingTagSize = 0;
    bool hasId3v1 = false;
};

// The bytes that an ID3v2 header at `at` claims for its tag (header, body and
// footer), or 0 when no header is there. The claim may run past the end.
std::uint64_t ClaimedId3v2Size(ByteSource& source, std::uint64_t at);

// Finds the audio range of a whole file whose leading ID3v2 tag ends at
// leadingTagEnd (0 = none); tags stacked after it are skipped by their size
// fields. Never reads outside the source and always returns
// start <= end <= Size().
AudioRange FindAudioRange(ByteSource& source, std::uint64_t leadingTagEnd);

}  // namespace corvane
