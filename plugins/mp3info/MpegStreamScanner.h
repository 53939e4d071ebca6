#pragma once

#include <cstdint>

#include "AudioRange.h"
#include "ByteSource.h"
#include "InfoFrame.h"
#include "MpegFrameHeader.h"

namespace corvane {

// What the scan of one MPEG audio stream found.
struct MpegStreamInfo {
    AudioRange range;
    MpegFrameHeader header;  // of the first frame
    std::uint64_t firstFrameOffset = 0;
    bool hasInfoFrame = false;
    InfoFrame info;
    bool walked = false;                // frames were counted one by one
    std::uint64_t lastFrameOffset = 0;  // of the last whole frame, when walked
    std::uint64_t audioFrames = 0;      // the info frame not counted
    std::uint64_t audioBytes = 0;       // of those frames
    bool variableBitrate = false;
    bool truncated = false;          // the stream ends inside a frame or before its info count
    std::uint64_t skippedBytes = 0;  // junk passed over between frames
    // Granules (576 samples) without coded audio at the end of a walked
    // Layer III stream; -1 when not known. Tells how much of the last frames
    // is the encoder's padding.
    int trailingSilentGranules = -1;
};

// Where the ID3v2 tag at the start of a file ends and its audio may begin:
// what the scanner skips and what the tag writer replaces. The tag's size
// field is believed unless it covers audio: when no frame follows the claimed
// end, or when frames that start inside the claimed bytes run across its end,
// the tag ends at the first of those frames. A size past the end of the file
// ends the tag at the first frame after its header (at the header when there
// is none). 0 when the file does not start with an ID3v2 header.
std::uint64_t LeadingTagEnd(ByteSource& source);

// Whether the frames are counted by the info frame where it is usable, or
// always walked one by one (and the last frame located), or not at all (only
// the tags around the audio, the first frame and its info frame are read).
enum class FrameCount { kInfoFrame, kWalk, kFirstFrame };

// Finds the first frame confirmed by the frames that follow it, then takes
// the frame count from the info frame or walks the frames. Returns false when
// the source holds no MPEG audio stream. Never reads outside the source. A
// CachingByteSource is read through as it is, so that a caller can share its
// cached head and tail with the tag reader.
bool ScanMpegStream(ByteSource& source, MpegStreamInfo& out,
                    FrameCount count = FrameCount::kInfoFrame);

}  // namespace corvane
