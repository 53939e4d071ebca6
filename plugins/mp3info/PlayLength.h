#pragma once

#include <cstdint>

#include "MpegStreamScanner.h"

namespace corvane {

// The decoded length of a stream in samples per channel.
struct PlayLength {
    std::int64_t samples = 0;
    int sampleRate = 0;
    bool exact = false;  // from the encoder's own delay and padding
    // The sample counts the true length lies between; both equal samples
    // when the length is exact.
    std::int64_t shortest = 0;
    std::int64_t longest = 0;

    double Seconds() const;
    unsigned WholeSeconds() const;
    // The whole CD frames (1/75 s) within shortest..longest; the frame
    // nearest to samples when none is.
    void CdFrameRange(std::int32_t& low, std::int32_t& high) const;
};

// Encoder delay and end padding as LAME 3.100 leaves them when it writes no
// info frame: 576 samples of delay, and the end padded with 576 up to
// 576 + samplesPerFrame - 1 samples so that the last frame is full.
constexpr int kLameEncoderDelay = 576;
constexpr int kLameMinPadding = 576;

// How a length is estimated when the stream does not carry the encoder's
// delay and padding.
enum class LengthEstimate {
    Middle,           // the middle of LAME's padding range
    NearestCdFrame,   // at 44.1 kHz: the whole CD frame (588 samples) nearest to the middle
    CdFrameBySilence  // at 44.1 kHz: the whole CD frame that the silent end granules point
                      // to; the middle when the music itself ends in silence
};

// Length from a scan: frames x samples per frame - delay - padding. Without
// the encoder's own figures LAME's delay and padding range are assumed. Most
// such files are CD rips whose lengths are whole CD frames; two of those fit
// the padding range, and how many granules at the end carry no audio tells
// which one the padding belongs to (unless the music itself ends in silence).
PlayLength ComputePlayLength(const MpegStreamInfo& stream,
                             LengthEstimate estimate = LengthEstimate::CdFrameBySilence);

}  // namespace corvane
