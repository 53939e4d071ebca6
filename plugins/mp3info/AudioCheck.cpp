#include "AudioCheck.h"

#include <algorithm>
#include <cstring>

namespace corvane {

std::uint64_t PlannedFile::Size() const {
    return layout_.tag.size() + (layout_.keepTo - layout_.keepFrom) + layout_.v1.size();
}

std::size_t PlannedFile::Read(std::uint64_t offset, void* buffer, std::size_t count) {
    auto* out = static_cast<char*>(buffer);
    const std::uint64_t tagEnd = layout_.tag.size();
    const std::uint64_t keptEnd = tagEnd + (layout_.keepTo - layout_.keepFrom);
    const std::uint64_t size = Size();
    std::size_t done = 0;
    while (done < count && offset + done < size) {
        const std::uint64_t at = offset + done;
        const std::size_t want = count - done;
        std::size_t got = 0;
        if (at < tagEnd) {
            got = static_cast<std::size_t>(std::min<std::uint64_t>(want, tagEnd - at));
            std::memcpy(out + done, layout_.tag.data() + at, got);
        } else if (at < keptEnd) {
            got = old_.Read(layout_.keepFrom + (at - tagEnd), out + done,
                            static_cast<std::size_t>(std::min<std::uint64_t>(want, keptEnd - at)));
        } else {
            got = static_cast<std::size_t>(std::min<std::uint64_t>(want, size - at));
            std::memcpy(out + done, layout_.v1.data() + (at - keptEnd), got);
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

namespace {

// The audio's last block: enough to hold the largest frame's header.
constexpr std::uint64_t kLastBlock = 4096;

bool SameBytes(ByteSource& a, std::uint64_t atA, ByteSource& b, std::uint64_t atB,
               std::size_t count) {
    char x[kLastBlock];
    char y[kLastBlock];
    return count <= kLastBlock && a.Read(atA, x, count) == count &&
           b.Read(atB, y, count) == count && std::memcmp(x, y, count) == 0;
}

}  // namespace

std::string AudioChange(const MpegStreamInfo& before, ByteSource& old, ByteSource& after,
                        std::int64_t shift, AudioMoved moved) {
    MpegStreamInfo now;
    if (!ScanMpegStream(after, now, FrameCount::kFirstFrame)) {
        return "no audio would be left";
    }
    const auto at = [shift](std::uint64_t offset) {
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(offset) + shift);
    };
    // The scanner must end the new tag where it was written, not inside it.
    if (now.range.leadingTagSize != at(before.range.leadingTagSize) ||
        now.firstFrameOffset != at(before.firstFrameOffset) ||
        !SameBytes(old, before.firstFrameOffset, after, now.firstFrameOffset, 4)) {
        return "the first or last audio frame would move";
    }
    if (now.range.start != at(before.range.start) || now.range.end != at(before.range.end) ||
        after.Size() != at(old.Size())) {
        return "the audio would change";
    }
    const std::uint64_t block = std::min(kLastBlock, before.range.end - before.firstFrameOffset);
    if (moved == AudioMoved::kCopied &&
        !SameBytes(old, before.range.end - block, after, at(before.range.end - block),
                   static_cast<std::size_t>(block))) {
        return "the first or last audio frame would move";
    }
    return {};
}

}  // namespace corvane
