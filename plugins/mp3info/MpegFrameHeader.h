#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane {

enum class MpegVersion : std::uint8_t { Mpeg1, Mpeg2, Mpeg25 };
enum class ChannelMode : std::uint8_t { Stereo, JointStereo, DualChannel, Mono };

// The fields of one MPEG audio frame header (4 bytes) that the scanner needs.
struct MpegFrameHeader {
    MpegVersion version = MpegVersion::Mpeg1;
    int layer = 3;            // 1..3
    int bitrateKbps = 0;      // never 0: free-format frames are not accepted
    int sampleRate = 0;       // Hz
    int samplesPerFrame = 0;  // 384, 576 or 1152
    int frameBytes = 0;       // whole frame, header included
    ChannelMode channelMode = ChannelMode::Stereo;
    bool crcProtected = false;
};

// Decodes the header at p[0..3]. False for anything that is not a usable
// header: no sync, reserved version/layer/sample rate, free-format or bad
// bitrate index, reserved emphasis.
bool ParseMpegFrameHeader(const std::uint8_t* p, MpegFrameHeader& out);

// True when two headers belong to the same stream (a sync candidate is
// confirmed by a following header of the same stream).
bool SameMpegStream(const MpegFrameHeader& a, const MpegFrameHeader& b);

}  // namespace corvane
