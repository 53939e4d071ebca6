#pragma once

#include <cstdint>

#include "MpegStreamScanner.h"

namespace corvane {

// The decoded length of a stream in samples per channel.
struct PlayLength {
    std::int64_t samples = 0;
    int sampleRate = 0;
    bool exact = false;  // from the encoder's own delay and padding

    double Seconds() const;
    unsigned WholeSeconds() const;
};

// Encoder delay and end padding as LAME 3.100 leaves them when it writes no
// info frame: 576 samples of delay, and the end padded with 576 up to
// 576 + samplesPerFrame - 1 samples so that the last frame is full.
constexpr int kLameEncoderDelay = 576;
constexpr int kLameMinPadding = 576;

// Length from a scan: frames x samples per frame - delay - padding. Without
// the encoder's own figures the middle of LAME's padding range is taken and,
// at 44.1 kHz, `snapToCdFrames` moves it to the whole CD frame (588 samples)
// nearest to it inside that range, since such files are mostly CD rips.
PlayLength ComputePlayLength(const MpegStreamInfo& stream, bool snapToCdFrames = true);

}  // namespace corvane
