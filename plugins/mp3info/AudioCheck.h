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

// Empty when `after` holds the audio that a walking scan found in `old` as
// `before`, moved by shift bytes: the first and last frames at the moved
// places with the same headers, the same frames and audio bytes. Otherwise
// what would change, for the log.
std::string AudioChange(const MpegStreamInfo& before, ByteSource& old, ByteSource& after,
                        std::int64_t shift);

}  // namespace corvane
