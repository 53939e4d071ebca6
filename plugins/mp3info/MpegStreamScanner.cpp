#include "MpegStreamScanner.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "SideInfo.h"

namespace corvane {

namespace {

// A sliding read window over the source: bytes that the source caches (the
// head and tail of the file) are looked at where they are; elsewhere it is
// refilled in large blocks, so that walking the frames costs one read per
// block.
class Window {
public:
    Window(CachingByteSource& source, std::uint64_t end) : source_(source), end_(end) {}

    // Pointer to `need` bytes at pos, or nullptr when they lie past the end.
    const std::uint8_t* At(std::uint64_t pos, std::size_t need) {
        if (pos > end_ || need > end_ - pos || need > kSmallBlock) {
            return nullptr;
        }
        if (pos < base_ || pos + need > base_ + filled_) {
            base_ = pos;
            std::size_t held = 0;
            if (const std::uint8_t* cached = source_.Cached(pos, need, held)) {
                data_ = cached;
                filled_ = static_cast<std::size_t>(std::min<std::uint64_t>(held, end_ - pos));
            } else {
                filled_ = Load(pos);
                data_ = buffer_.data();
            }
            if (filled_ < need) {
                return nullptr;
            }
        }
        return data_ + (pos - base_);
    }

    // How many bytes from pos the window holds after At(pos, ...).
    std::size_t Held(std::uint64_t pos) const {
        return pos >= base_ && pos < base_ + filled_
                   ? static_cast<std::size_t>(base_ + filled_ - pos)
                   : 0;
    }

private:
    static constexpr std::size_t kSmallBlock = 8 * 1024;
    static constexpr std::size_t kLargeBlock = 256 * 1024;

    std::size_t Load(std::uint64_t pos) {
        // The first read covers the start of the stream and its info frame;
        // only a walk through the frames needs large blocks.
        const std::size_t block = buffer_.empty() ? kSmallBlock : kLargeBlock;
        if (buffer_.size() < block) {
            buffer_.resize(block);
        }
        const std::uint64_t want = std::min<std::uint64_t>(block, end_ - pos);
        return source_.Read(pos, buffer_.data(), static_cast<std::size_t>(want));
    }

    CachingByteSource& source_;
    std::uint64_t end_;
    std::vector<std::uint8_t> buffer_;
    const std::uint8_t* data_ = nullptr;
    std::uint64_t base_ = 0;
    std::size_t filled_ = 0;
};

bool HeaderAt(Window& window, std::uint64_t pos, MpegFrameHeader& h) {
    const std::uint8_t* p = window.At(pos, 4);
    return p != nullptr && ParseMpegFrameHeader(p, h);
}

// A frame at pos is believed when the next two frames follow it at the right
// places (or the stream ends exactly after it).
bool Confirmed(Window& window, std::uint64_t pos, const MpegFrameHeader& h, std::uint64_t end) {
    std::uint64_t next = pos + h.frameBytes;
    for (int i = 0; i < 2; ++i) {
        if (next == end) {
            return true;
        }
        MpegFrameHeader n;
        if (!HeaderAt(window, next, n) || !SameMpegStream(h, n)) {
            return false;
        }
        next += n.frameBytes;
    }
    return next <= end;
}

// The next confirmed frame at or after pos (of the same stream as `like`
// when given); false when there is none before the end.
bool FindFrame(Window& window, std::uint64_t pos, std::uint64_t end, const MpegFrameHeader* like,
               std::uint64_t& found, MpegFrameHeader& h, std::uint64_t limit = UINT64_MAX) {
    for (; pos + 4 <= end && pos < limit; ++pos) {
        const std::uint8_t* p = window.At(pos, 1);
        if (p == nullptr) {
            return false;
        }
        // Jump to the next sync byte inside the buffered bytes.
        const std::size_t held =
            static_cast<std::size_t>(std::min<std::uint64_t>(window.Held(pos), limit - pos));
        const void* sync = std::memchr(p, 0xFF, held);
        if (sync == nullptr) {
            pos += held - 1;
            continue;
        }
        pos += static_cast<std::size_t>(static_cast<const std::uint8_t*>(sync) - p);
        if (pos + 4 > end || !HeaderAt(window, pos, h) || pos + h.frameBytes > end) {
            continue;
        }
        if ((like == nullptr || SameMpegStream(*like, h)) && Confirmed(window, pos, h, end)) {
            found = pos;
            return true;
        }
    }
    return false;
}

// Counts the silent granules at the end, looking back over the last frames.
int TrailingSilentGranules(Window& window, const std::uint64_t* last, int count,
                           const MpegFrameHeader& stream) {
    int silentCount = 0;
    for (int i = count - 1; i >= 0; --i) {
        MpegFrameHeader h;
        if (!HeaderAt(window, last[i], h) || !SameMpegStream(stream, h)) {
            return -1;
        }
        const std::size_t need = SideInfoEnd(h);
        const std::uint8_t* frame = window.At(last[i], need);
        bool silent[2] = {false, false};
        const int granules = frame != nullptr ? SilentGranules(frame, need, h, silent) : 0;
        if (granules == 0) {
            return -1;
        }
        for (int g = granules - 1; g >= 0; --g) {
            if (!silent[g]) {
                return silentCount;
            }
            ++silentCount;
        }
    }
    return silentCount;
}

void WalkFrames(Window& window, std::uint64_t pos, std::uint64_t end, MpegStreamInfo& s) {
    constexpr int kLastFrames = 4;
    std::uint64_t last[kLastFrames] = {};
    int lastCount = 0;
    int minRate = s.header.bitrateKbps;
    int maxRate = minRate;
    MpegFrameHeader h;
    while (pos + 4 <= end) {
        if (!HeaderAt(window, pos, h) || !SameMpegStream(s.header, h)) {
            std::uint64_t found = 0;
            if (!FindFrame(window, pos + 1, end, &s.header, found, h)) {
                s.skippedBytes += end - pos;
                break;
            }
            s.skippedBytes += found - pos;
            pos = found;
        }
        if (pos + h.frameBytes > end) {
            s.truncated = true;
            break;
        }
        if (lastCount == kLastFrames) {
            std::copy(last + 1, last + kLastFrames, last);
            --lastCount;
        }
        last[lastCount++] = pos;
        s.lastFrameOffset = pos;
        ++s.audioFrames;
        s.audioBytes += h.frameBytes;
        minRate = std::min(minRate, h.bitrateKbps);
        maxRate = std::max(maxRate, h.bitrateKbps);
        pos += h.frameBytes;
    }
    s.walked = true;
    s.variableBitrate = s.variableBitrate || minRate != maxRate;
    if (s.header.layer == 3 && !s.truncated && lastCount == kLastFrames) {
        s.trailingSilentGranules = TrailingSilentGranules(window, last, lastCount, s.header);
    }
}

// The info frame's count is used as gapless decoders use it, unless the
// file is visibly shorter than the encoder wrote it (then the frames are
// walked).
bool InfoCountUsable(const MpegStreamInfo& s) {
    const InfoFrame& info = s.info;
    if (!info.hasFrames || info.frames == 0 || !info.hasBytes) {
        return false;
    }
    // Counts that no bitrate could give (8 to 448 kbit/s) are not believed.
    const double bytesPerKbps = s.header.samplesPerFrame * 1000.0 / 8.0 / s.header.sampleRate;
    // The byte count may or may not include the info frame itself.
    const double frames = info.frames;
    const double bytes = info.bytes;
    if (bytes / (frames + 1) < 8 * bytesPerKbps - 2 ||
        (bytes - s.header.frameBytes) / frames > 448 * bytesPerKbps + 2) {
        return false;
    }
    const std::uint64_t available = s.range.end - s.firstFrameOffset;
    return available + s.header.frameBytes >= info.bytes;
}

// A file that starts with this much of something else is not taken for an
// MP3 (a large file of another kind would otherwise be read whole).
constexpr std::uint64_t kLeadingJunk = 4 * 1024 * 1024;

// Whether the chain of frames from pos (each right after the one before)
// reaches past `mark`, so that the stream runs across it.
bool RunsAcross(Window& window, std::uint64_t pos, std::uint64_t mark, std::uint64_t end,
                const MpegFrameHeader& first) {
    MpegFrameHeader h = first;
    while (pos + h.frameBytes <= end) {
        if (pos + h.frameBytes > mark) {
            return true;
        }
        pos += h.frameBytes;
        if (!HeaderAt(window, pos, h) || !SameMpegStream(first, h)) {
            return false;
        }
    }
    return false;
}

std::uint64_t TagEnd(CachingByteSource& source) {
    const std::uint64_t claimed = ClaimedId3v2Size(source, 0);
    if (claimed == 0) {
        return 0;
    }
    const std::uint64_t size = source.Size();
    Window window(source, size);
    MpegFrameHeader h;
    std::uint64_t inside = 0;
    if (claimed > size) {
        return FindFrame(window, 10, size, nullptr, inside, h, 10 + kLeadingJunk) ? inside : 10;
    }
    if (HeaderAt(window, claimed, h) && Confirmed(window, claimed, h, size)) {
        return claimed;  // audio right after the tag, as it should be
    }
    if (!FindFrame(window, 10, size, nullptr, inside, h, claimed)) {
        return claimed;
    }
    if (RunsAcross(window, inside, claimed, size, h)) {
        return inside;
    }
    MpegFrameHeader next;
    std::uint64_t after = 0;
    const bool audioAfter =
        FindFrame(window, claimed, size, nullptr, after, next, claimed + kLeadingJunk);
    return audioAfter ? claimed : inside;
}

bool Scan(CachingByteSource& source, MpegStreamInfo& out, FrameCount count) {
    MpegStreamInfo s;
    s.range = FindAudioRange(source, TagEnd(source));
    const std::uint64_t end = s.range.end;
    Window window(source, end);
    std::uint64_t pos = 0;
    if (!FindFrame(window, s.range.start, end, nullptr, pos, s.header,
                   s.range.start + kLeadingJunk)) {
        return false;
    }
    s.firstFrameOffset = pos;
    const std::uint8_t* frame = window.At(pos, static_cast<std::size_t>(s.header.frameBytes));
    if (frame != nullptr && ParseInfoFrame(frame, s.header.frameBytes, s.header, s.info)) {
        s.hasInfoFrame = true;
        s.variableBitrate = s.info.kind != InfoFrame::Kind::Info;
        pos += s.header.frameBytes;
    }
    if (count == FrameCount::kFirstFrame) {
        out = s;
        return true;
    }
    if (count == FrameCount::kInfoFrame && s.hasInfoFrame && InfoCountUsable(s)) {
        s.audioFrames = s.info.frames;
        // Encoders count the info frame in its byte field.
        const std::uint64_t counted = s.info.bytes > static_cast<std::uint32_t>(s.header.frameBytes)
                                          ? s.info.bytes - s.header.frameBytes
                                          : s.info.bytes;
        s.audioBytes = std::min<std::uint64_t>(end - pos, counted);
    } else {
        WalkFrames(window, pos, end, s);
        if (s.hasInfoFrame && s.info.hasFrames && s.audioFrames < s.info.frames) {
            s.truncated = true;
        }
    }
    out = s;
    return true;
}

}  // namespace

std::uint64_t LeadingTagEnd(ByteSource& file) {
    CachingByteSource source(file);
    return TagEnd(source);
}

bool ScanMpegStream(ByteSource& file, MpegStreamInfo& out, FrameCount count) {
    // A source that caches already (shared with the tag reader) is used as it is.
    if (auto* cached = dynamic_cast<CachingByteSource*>(&file)) {
        return Scan(*cached, out, count);
    }
    CachingByteSource source(file);
    return Scan(source, out, count);
}

}  // namespace corvane
