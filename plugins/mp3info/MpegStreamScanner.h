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
    bool walked = false;            // frames were counted one by one
    std::uint64_t audioFrames = 0;  // the info frame not counted
    std::uint64_t audioBytes = 0;   // of those frames
    bool variableBitrate = false;
    bool truncated = false;          // the stream ends inside a frame or before its info count
    std::uint64_t skippedBytes = 0;  // junk passed over between frames
    // Granules (576 samples) without coded audio at the end of a walked
    // Layer III stream; -1 when not known. Tells how much of the last frames
    // is the encoder's padding.
    int trailingSilentGranules = -1;
};

// Finds the first frame confirmed by the frames that follow it, then takes
// the frame count from the info frame or walks the frames. Returns false when
// the source holds no MPEG audio stream. Reads each byte at most once and
// never outside the source.
bool ScanMpegStream(ByteSource& source, MpegStreamInfo& out);

}  // namespace corvane
