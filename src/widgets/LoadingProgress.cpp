#include "widgets/LoadingProgress.h"

#include <algorithm>
#include <cmath>

namespace corvane {

int LoadingBarFill(int total, int done, int full) {
    done = std::max(done, 0);
    if (total >= 1) {
        const long long fill = static_cast<long long>(done) * full / total;
        return static_cast<int>(std::clamp<long long>(fill, 0, full));
    }
    // Rewritten so that e^(0.4 d) cannot overflow for long listings:
    // 1 + 0.2 d - 0.5 ln(e^(0.4 d) + e^2 - 1) = 1 - 0.5 ln(1 + (e^2 - 1) e^(-0.4 d)).
    const double e2m1 = std::expm1(2.0);
    const double share = 1.0 - 0.5 * std::log1p(e2m1 * std::exp(-0.4 * done));
    return std::clamp(static_cast<int>(full * share), 0, full);
}

}  // namespace corvane
