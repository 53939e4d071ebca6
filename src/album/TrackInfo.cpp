#include "album/TrackInfo.h"

namespace corvane {

void TrackInfo::Clear() {
    const std::int32_t keptAux = auxValue;
    *this = TrackInfo{};
    auxValue = keptAux;
}

namespace {

std::string TwoDigits(std::uint32_t value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

}  // namespace

std::string FormatPlayTime(std::uint32_t playSeconds) {
    return TwoDigits(playSeconds / 3600) + ":" + TwoDigits(playSeconds / 60) + ":" +
           TwoDigits(playSeconds % 60);
}

}  // namespace corvane
