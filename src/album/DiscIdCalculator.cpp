#include "album/DiscIdCalculator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace corvane {

namespace {

constexpr double kFramesPerSecond = 75.0;
constexpr double kFramesPerMinute = 4500.0;
constexpr double kLeadInFrames = 150.0;
// The longest track length taken at face value: a day. Longer or invalid
// lengths from a damaged file would only overflow the positions.
constexpr double kMaxTrackFrames = 24.0 * 3600.0 * kFramesPerSecond;

// Exact play times of CD rips are whole frames, but samples / 44100 * 75 in
// floating point often lands a hair below the whole number, which would cost
// a frame at every truncation and give a wrong id. Values within a millionth
// of a frame are taken as whole.
double SnapToWholeFrame(double frames) {
    const double whole = std::round(frames);
    return std::fabs(frames - whole) < 1e-6 ? whole : frames;
}

// A track's length in CD frames.
double LengthInFrames(double playTime) {
    if (!std::isfinite(playTime) || playTime <= 0.0) {
        return 0.0;
    }
    return SnapToWholeFrame(std::min(playTime * kFramesPerSecond, kMaxTrackFrames));
}

// Truncation toward zero into 32 bits, clamped so that the positions of an
// absurd album cannot overflow.
std::int32_t Trunc32(double value) {
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (!(std::fabs(value) < kMax)) {
        return value < 0 ? -static_cast<std::int32_t>(kMax) : static_cast<std::int32_t>(kMax);
    }
    return static_cast<std::int32_t>(value);
}

// Division, not multiplication by a reciprocal: 525 * (1.0 / 75) is a hair
// below 7, and flooring it would misplace a position by a whole second.
DiscIdCalculator::TrackPosition TrackStart(double start) {
    DiscIdCalculator::TrackPosition p;
    p.minutes = std::floor(start / kFramesPerMinute);
    p.seconds = std::floor(start / kFramesPerSecond) - p.minutes * 60.0;
    p.frames = start - p.minutes * kFramesPerMinute - p.seconds * kFramesPerSecond;
    p.offset = p.minutes * kFramesPerMinute + p.seconds * kFramesPerSecond + p.frames;
    return p;
}

// The lead-out lies at the last track's start plus its length in whole
// frames, where CDDB servers count it; no extra frame is added.
DiscIdCalculator::TrackPosition LeadOut(double lastStart, double lastLength) {
    const double end = lastStart + std::floor(lastLength);
    DiscIdCalculator::TrackPosition p;
    p.frames = Trunc32(end) % 75;
    p.seconds = Trunc32(end / kFramesPerSecond) % 60;
    p.minutes = std::floor(end / kFramesPerMinute);
    return p;
}

}  // namespace

int DigitSum(std::int64_t value) {
    int sum = 0;
    for (value = std::llabs(value); value > 0; value /= 10) {
        sum += static_cast<int>(value % 10);
    }
    return sum;
}

std::uint32_t DiscIdCalculator::ComputeDiscId(const TrackList& files) {
    positions_.clear();
    count_ = 0;
    if (files.empty()) {
        return 0;
    }
    count_ = static_cast<std::int32_t>(files.size());

    double start = kLeadInFrames;
    double length = 0.0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i > 0) {
            // Sums of fractional lengths drift the same way.
            start = SnapToWholeFrame(start + length);
        }
        length = LengthInFrames(files[i].playTime);
        positions_.push_back(TrackStart(start));
    }
    positions_.push_back(LeadOut(start, length));

    const TrackPosition& first = positions_.front();
    const TrackPosition& leadOut = positions_.back();
    const std::int64_t discSeconds =
        Trunc32((leadOut.minutes * 60 + leadOut.seconds) - (first.minutes * 60 + first.seconds));
    std::int64_t sum = 0;
    for (std::int32_t i = 0; i < count_; ++i) {
        sum += DigitSum(Trunc32(positions_[i].minutes * 60 + positions_[i].seconds));
    }
    // The layout of a CDDB id: digit sum mod 255, disc seconds, track count.
    const auto sumBits = static_cast<std::uint32_t>(sum % 255);
    const auto secondBits = static_cast<std::uint32_t>(discSeconds) & 0xFFFFu;
    const auto countBits = static_cast<std::uint32_t>(count_) & 0xFFu;
    return (sumBits << 24) | (secondBits << 8) | countBits;
}

void DiscIdCalculator::GetOffsets(OffsetList& offsets) const {
    if (count_ == 0 || positions_.empty()) {
        return;
    }
    offsets.clear();
    for (const TrackPosition& p : positions_) {
        offsets.push_back({Trunc32(p.minutes), Trunc32(p.seconds), Trunc32(p.frames)});
    }
}

}  // namespace corvane
