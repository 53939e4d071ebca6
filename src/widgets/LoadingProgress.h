#pragma once

namespace corvane {

// Width in pixels of the filled part of the folder tree's loading bar, `full` being the
// width of the whole bar. With a known total it is done * full / total. While the total is
// still unknown (total < 1) it creeps from 0 towards `full` as `done` grows, following
// full * (1 + 0.2 d - 0.5 ln(e^(0.4 d) + e^2 - 1)).
int LoadingBarFill(int total, int done, int full = 50);

}  // namespace corvane
