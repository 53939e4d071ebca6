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

bool SameHeaderBytes(ByteSource& a, std::uint64_t atA, ByteSource& b, std::uint64_t atB) {
    char x[4] = {};
    char y[4] = {};
    return a.Read(atA, x, 4) == 4 && b.Read(atB, y, 4) == 4 && std::memcmp(x, y, 4) == 0;
}

}  // namespace

std::string AudioChange(const MpegStreamInfo& before, ByteSource& old, ByteSource& after,
                        std::int64_t shift) {
    MpegStreamInfo now;
    if (!ScanMpegStream(after, now, FrameCount::kWalk)) {
        return "no audio would be left";
    }
    const auto moved = [shift](std::uint64_t offset) {
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(offset) + shift);
    };
    if (now.firstFrameOffset != moved(before.firstFrameOffset) ||
        now.lastFrameOffset != moved(before.lastFrameOffset) ||
        !SameHeaderBytes(old, before.firstFrameOffset, after, now.firstFrameOffset) ||
        !SameHeaderBytes(old, before.lastFrameOffset, after, now.lastFrameOffset)) {
        return "the first or last audio frame would move";
    }
    if (now.audioFrames != before.audioFrames || now.audioBytes != before.audioBytes ||
        now.range.end != moved(before.range.end)) {
        return "the audio would change";
    }
    return {};
}

}  // namespace corvane
