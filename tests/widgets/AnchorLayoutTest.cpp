#include "widgets/AnchorLayout.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(AnchorLayout, ControlsFollowTheirAnchorsInAResizedArea) {
    struct Case {
        const char* name;
        LayoutRect rect;  // in a 400 x 300 area unless the area says otherwise
        int width, height;
        Anchor topLeft, bottomRight;
        int newWidth, newHeight;
        LayoutRect expected;
    };
    const Case cases[] = {
        {"stretched grows",
         {10, 20, 110, 70},
         400,
         300,
         TopLeft,
         BottomRight,
         530,
         345,
         {10, 20, 240, 115}},
        {"stretched shrinks",
         {10, 20, 110, 70},
         400,
         300,
         TopLeft,
         BottomRight,
         380,
         290,
         {10, 20, 90, 60}},
        // Top 160 is 10 below the middle; it stays 10 below the new middle.
        {"middle anchor",
         {10, 160, 390, 290},
         400,
         300,
         MiddleLeft,
         BottomRight,
         600,
         500,
         {10, 260, 590, 490}},
        {"corner only moves",
         {350, 260, 390, 290},
         400,
         300,
         BottomRight,
         NoAnchor,
         517,
         333,
         {467, 293, 507, 323}},
        // 50 % of 301 is 150 and of 303 is 151: shares truncate toward zero.
        {"odd sizes truncate",
         {150, 49, 200, 99},
         301,
         99,
         MiddleCenter,
         BottomRight,
         303,
         101,
         {151, 50, 202, 101}},
        {"centred keeps size",
         {90, 40, 110, 60},
         200,
         100,
         MiddleCenter,
         NoAnchor,
         401,
         201,
         {190, 90, 210, 110}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AnchorPlacement p =
            MakeAnchorPlacement(c.rect, c.width, c.height, c.topLeft, c.bottomRight);
        EXPECT_EQ(PlaceAnchored(p, c.width, c.height), c.rect);
        EXPECT_EQ(PlaceAnchored(p, c.newWidth, c.newHeight), c.expected);
    }
}

}  // namespace
}  // namespace corvane
