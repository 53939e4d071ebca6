#include "widgets/SplitterRange.h"

#include <algorithm>

namespace corvane {

SplitterRange ComputeSplitterRange(SplitterSpan parent, const std::vector<SplitterSpan>& firstPanes,
                                   const std::vector<SplitterSpan>& secondPanes, int minFirst,
                                   int minSecond) {
    SplitterRange range{parent.start + minFirst, parent.end - minSecond};
    for (const SplitterSpan& pane : firstPanes) {
        range.low = std::max(range.low, pane.start + minFirst);
    }
    for (const SplitterSpan& pane : secondPanes) {
        range.high = std::min(range.high, pane.end - minSecond);
    }
    return range;
}

bool CanDragSplitter(const SplitterRange& range, SplitterSpan bar) {
    return range.low < range.high && range.high - range.low >= bar.end - bar.start;
}

int ConfineSplitterDistance(const SplitterRange& range, SplitterSpan bar, int d) {
    return std::clamp(d, range.low - bar.start, range.high - bar.end);
}

}  // namespace corvane
