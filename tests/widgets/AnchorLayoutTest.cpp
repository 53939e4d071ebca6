#include "widgets/AnchorLayout.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(AnchorLayout, ControlsFollowTheirAnchorsInAResizedArea) {
    struct Size {
        int width, height;
    };
    struct Case {
        LayoutRect rect;
        Size area;
        Anchor topLeft, bottomRight;
        Size newArea;
        LayoutRect expected;
    };
    const Case cases[] = {
        // Stretched between two corners: grows and shrinks with the area.
        {{10, 20, 110, 70}, {400, 300}, TopLeft, BottomRight, {530, 345}, {10, 20, 240, 115}},
        // Top 10 below the middle stays 10 below the new middle.
        {{10, 160, 390, 290}, {400, 300}, MiddleLeft, BottomRight, {600, 500}, {10, 260, 590, 490}},
        // One anchor: the control moves and keeps its size.
        {{350, 260, 390, 290}, {400, 300}, BottomRight, NoAnchor, {517, 333}, {467, 293, 507, 323}},
        {{90, 40, 110, 60}, {200, 100}, MiddleCenter, NoAnchor, {401, 201}, {190, 90, 210, 110}},
        // 50 % of 301 is 150 and of 303 is 151: shares truncate toward zero.
        {{150, 49, 200, 99}, {301, 99}, MiddleCenter, BottomRight, {303, 101}, {151, 50, 202, 101}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        const Case& c = cases[i];
        const AnchorPlacement p =
            MakeAnchorPlacement(c.rect, c.area.width, c.area.height, c.topLeft, c.bottomRight);
        EXPECT_EQ(PlaceAnchored(p, c.area.width, c.area.height), c.rect);
        EXPECT_EQ(PlaceAnchored(p, c.newArea.width, c.newArea.height), c.expected);
    }
}

}  // namespace
}  // namespace corvane
