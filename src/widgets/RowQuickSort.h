#pragma once

#include <string>
#include <utility>

namespace corvane {

// Sorts rows lo..hi by one text per row with a quicksort that never swaps two rows whose
// texts are equal, so rows that tie keep their places relative to each other as far as the
// partitioning allows, and a list of equal rows is left exactly as it was. Texts compare
// byte-wise and case-sensitively (UTF-8 bytes as unsigned values).
//
// `textAt(row)` returns the row's text (std::string or a reference to one); `swapRows(a, b)`
// exchanges two rows completely.
template <class TextAt, class SwapRows>
void QuickSortRows(int lo, int hi, bool ascending, TextAt&& textAt, SwapRows&& swapRows) {
    // Recurse into the smaller part and loop over the larger one, so the stack stays shallow
    // even for unlucky inputs; the two parts are disjoint, so the result is the same.
    while (lo < hi) {
        const std::string pivot(textAt((lo + hi) / 2));
        int i = lo;
        int j = hi;
        while (i <= j) {
            if (ascending) {
                while (textAt(i) < pivot && i < hi) {
                    ++i;
                }
                while (textAt(j) > pivot && j > lo) {
                    --j;
                }
            } else {
                while (textAt(i) > pivot && i < hi) {
                    ++i;
                }
                while (textAt(j) < pivot && j > lo) {
                    --j;
                }
            }
            if (i <= j) {
                if (i != j && textAt(i) != textAt(j)) {
                    swapRows(i, j);
                }
                ++i;
                --j;
            }
        }
        if (j - lo < hi - i) {
            if (lo < j) {
                QuickSortRows(lo, j, ascending, textAt, swapRows);
            }
            lo = i;
        } else {
            if (i < hi) {
                QuickSortRows(i, hi, ascending, textAt, swapRows);
            }
            hi = j;
        }
    }
}

}  // namespace corvane
