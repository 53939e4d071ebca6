#include "widgets/AnchorLayout.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(AnchorLayout, StretchedControlGrowsByTheClientChange) {
    const LayoutRect rect{10, 20, 110, 70};
    const AnchorPlacement p = MakeAnchorPlacement(rect, 400, 300, TopLeft, BottomRight);
    EXPECT_EQ(PlaceAnchored(p, 400, 300), rect);
    EXPECT_EQ(PlaceAnchored(p, 530, 345), (LayoutRect{10, 20, 240, 115}));
    EXPECT_EQ(PlaceAnchored(p, 380, 290), (LayoutRect{10, 20, 90, 60}));
}

TEST(AnchorLayout, MiddleAnchorKeepsTopAtHalfHeightPlusMargin) {
    // Top 160 in a 300-high area: margin 10 below the middle.
    const LayoutRect rect{10, 160, 390, 290};
    const AnchorPlacement p = MakeAnchorPlacement(rect, 400, 300, MiddleLeft, BottomRight);
    EXPECT_EQ(p.marginTop, 10);
    EXPECT_EQ(p.marginBottom, -10);
    const LayoutRect placed = PlaceAnchored(p, 600, 500);
    EXPECT_EQ(placed.top, 250 + 10);
    EXPECT_EQ(placed.bottom, 490);
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.right, 590);
}

TEST(AnchorLayout, CornerAnchorOnlyMovesAndKeepsSize) {
    const LayoutRect rect{350, 260, 390, 290};
    const AnchorPlacement p = MakeAnchorPlacement(rect, 400, 300, BottomRight);
    EXPECT_EQ(p.bottomRight, BottomRight);
    const LayoutRect placed = PlaceAnchored(p, 517, 333);
    EXPECT_EQ(placed, (LayoutRect{467, 293, 507, 323}));
}

TEST(AnchorLayout, SharesTruncateTowardZero) {
    // 50 % of 301 is 150, of 99 is 49; the margins absorb the remainder the same way.
    const LayoutRect rect{150, 49, 200, 99};
    const AnchorPlacement p = MakeAnchorPlacement(rect, 301, 99, MiddleCenter, BottomRight);
    EXPECT_EQ(p.marginLeft, 0);
    EXPECT_EQ(p.marginTop, 0);
    EXPECT_EQ(PlaceAnchored(p, 301, 99), rect);
    EXPECT_EQ(PlaceAnchored(p, 303, 101).left, 151);
    // Centre anchors on both corners: the control keeps its size and stays centred.
    const AnchorPlacement c = MakeAnchorPlacement({90, 40, 110, 60}, 200, 100, MiddleCenter);
    EXPECT_EQ(PlaceAnchored(c, 401, 201), (LayoutRect{190, 90, 210, 110}));
}

}  // namespace
}  // namespace corvane
