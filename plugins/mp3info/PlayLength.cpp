#include "PlayLength.h"

#include <cmath>

namespace corvane {

namespace {

constexpr std::int64_t kCdFrameSamples = 588;

std::int64_t EstimateLayer3(std::int64_t total, int samplesPerFrame, int rate, bool snap) {
    const std::int64_t longest = total - kLameEncoderDelay - kLameMinPadding;
    const std::int64_t shortest = longest - (samplesPerFrame - 1);
    if (longest <= 0) {
        return total > kLameEncoderDelay ? total - kLameEncoderDelay : 0;
    }
    const std::int64_t middle = longest - samplesPerFrame / 2;
    if (!snap || rate != 44100) {
        return middle < 0 ? 0 : middle;
    }
    const std::int64_t below = middle / kCdFrameSamples * kCdFrameSamples;
    const std::int64_t above = below + kCdFrameSamples;
    const bool belowFits = below >= shortest && below > 0;
    const bool aboveFits = above <= longest;
    if (belowFits && (!aboveFits || middle - below <= above - middle)) {
        return below;
    }
    if (aboveFits) {
        return above;
    }
    return middle < 0 ? 0 : middle;
}

}  // namespace

double PlayLength::Seconds() const {
    if (sampleRate <= 0 || samples <= 0) {
        return 0.0;
    }
    const double t = static_cast<double>(samples) / sampleRate;
    // A whole number of CD frames must come out as that many (or a hair
    // more) when a caller multiplies by 75, or truncating offsets would lose
    // a frame.
    if ((samples * 75) % sampleRate != 0) {
        return t;
    }
    const double frames = static_cast<double>(samples * 75 / sampleRate);
    double up = t;
    double down = t;
    for (int i = 0; i < 4; ++i) {
        if (up * 75.0 == frames) {
            return up;
        }
        if (down * 75.0 == frames) {
            return down;
        }
        up = std::nextafter(up, 1e300);
        down = std::nextafter(down, 0.0);
    }
    // No double hits it exactly: stay just above, so that truncation keeps
    // the frame.
    up = t;
    while (up * 75.0 < frames) {
        up = std::nextafter(up, 1e300);
    }
    return up;
}

unsigned PlayLength::WholeSeconds() const {
    if (sampleRate <= 0 || samples <= 0) {
        return 0;
    }
    return static_cast<unsigned>(samples / sampleRate);
}

PlayLength ComputePlayLength(const MpegStreamInfo& stream, bool snapToCdFrames) {
    PlayLength length;
    length.sampleRate = stream.header.sampleRate;
    const int spf = stream.header.samplesPerFrame;
    const std::int64_t total = static_cast<std::int64_t>(stream.audioFrames) * spf;
    const InfoFrame& info = stream.info;
    if (stream.hasInfoFrame && info.hasGapless) {
        const std::int64_t padding = stream.truncated ? 0 : info.endPadding;
        const std::int64_t samples = total - info.encoderDelay - padding;
        if (samples >= 0) {
            length.samples = samples;
            length.exact = !stream.truncated;
            return length;
        }
    }
    length.samples = stream.header.layer == 3
                         ? EstimateLayer3(total, spf, length.sampleRate, snapToCdFrames)
                         : total;
    return length;
}

}  // namespace corvane
