#include "widgets/AnchorLayout.h"

namespace corvane {

namespace {

// Integer division truncates toward zero in C++, which is the rounding the margins rely on.
int Share(int extent, int percent) {
    return extent * percent / 100;
}

}  // namespace

AnchorPlacement MakeAnchorPlacement(const LayoutRect& rect, int width, int height, Anchor topLeft,
                                    Anchor bottomRight) {
    if (bottomRight == NoAnchor) {
        bottomRight = topLeft;
    }
    AnchorPlacement p;
    p.topLeft = topLeft;
    p.bottomRight = bottomRight;
    p.marginLeft = rect.left - Share(width, topLeft.x);
    p.marginTop = rect.top - Share(height, topLeft.y);
    p.marginRight = rect.right - Share(width, bottomRight.x);
    p.marginBottom = rect.bottom - Share(height, bottomRight.y);
    return p;
}

LayoutRect PlaceAnchored(const AnchorPlacement& p, int width, int height) {
    return LayoutRect{Share(width, p.topLeft.x) + p.marginLeft,
                      Share(height, p.topLeft.y) + p.marginTop,
                      Share(width, p.bottomRight.x) + p.marginRight,
                      Share(height, p.bottomRight.y) + p.marginBottom};
}

}  // namespace corvane
