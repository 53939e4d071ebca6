#include "album/TrackInfo.h"

namespace corvane {

void TrackInfo::Clear() {
    const std::int32_t keptAux = auxValue;
    *this = TrackInfo{};
    auxValue = keptAux;
}

}  // namespace corvane
