#pragma once

#include <vector>

namespace corvane {

// The extent of a pane or of the bar along the drag axis; end is exclusive.
struct SplitterSpan {
    int start = 0;
    int end = 0;
};

// The room a splitter bar may occupy: its start may not go below `low` and its end may not
// go beyond `high`.
struct SplitterRange {
    int low = 0;
    int high = 0;
};

// The allowed room for the bar inside a parent extent, keeping at least `minFirst` pixels
// for every pane before the bar and `minSecond` for every pane after it.
SplitterRange ComputeSplitterRange(SplitterSpan parent, const std::vector<SplitterSpan>& firstPanes,
                                   const std::vector<SplitterSpan>& secondPanes, int minFirst,
                                   int minSecond);

// Whether a drag can start at all: the range must leave room for the bar.
bool CanDragSplitter(const SplitterRange& range, SplitterSpan bar);

// The pointer's distance `d` confined so that the moved bar stays inside the range.
int ConfineSplitterDistance(const SplitterRange& range, SplitterSpan bar, int d);

}  // namespace corvane
