#pragma once

#include <taglib/tbytevector.h>

#include <cstdint>
#include <string>

#include "ByteSource.h"
#include "MpegStreamScanner.h"

namespace corvane {

// What a tag write makes of a file: the new tag, the old bytes [keepFrom,
// keepTo), and the new ID3v1 tag (empty when the file has none).
struct TagLayout {
    std::uint64_t keepFrom = 0;  // where the old tag ends
    std::uint64_t keepTo = 0;    // where the old ID3v1 tag begins, or the end
    TagLib::ByteVector tag;
    TagLib::ByteVector v1;
};

// The file that the layout makes of `old`, read without writing anything.
class PlannedFile : public ByteSource {
public:
    PlannedFile(const TagLayout& layout, ByteSource& old) : layout_(layout), old_(old) {}
    std::uint64_t Size() const override;
    std::size_t Read(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    const TagLayout& layout_;
    ByteSource& old_;
};

// What of the audio a tag write has put into a new place.
enum class AudioMoved {
    kNothing,  // written in place: only the tag's bytes changed
    kCopied,   // copied after a new tag into another file
};

// Empty when `after` holds the audio that the scan found in `old` as `before`
// (its first frame is enough), moved by shift bytes. Only what a tag write
// can change is read: where the new tag ends (the scanner must end it there,
// not inside its frames), the first frame found after it with the same
// header, the audio's size between the tags; and, when the audio was copied,
// its last block, which holds the last frame's header. The bytes of the audio
// stay the same, so that every frame, the length and the info frame read as
// before once these points hold. Otherwise what would change, for the log.
std::string AudioChange(const MpegStreamInfo& before, ByteSource& old, ByteSource& after,
                        std::int64_t shift, AudioMoved moved);

}  // namespace corvane
