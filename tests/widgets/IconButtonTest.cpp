#include "widgets/IconButton.h"

#include <gtest/gtest.h>

#include "support/WidgetTestApp.h"
#include "widgets/Artwork.h"
#include "widgets/IconButtonLayout.h"

namespace corvane {
namespace {

IconButtonMetrics Metrics(int w, int h, bool icon, int textW, int textH) {
    IconButtonMetrics m;
    m.width = w;
    m.height = h;
    m.hasIcon = icon;
    m.iconWidth = icon ? 16 : 0;
    m.iconHeight = icon ? 16 : 0;
    m.hasText = textW > 0;
    m.textWidth = textW;
    m.textHeight = textH;
    return m;
}

TEST(IconButtonLayout, IconAtTheMarginCaptionInTheRestAndManualPositions) {
    struct Case {
        const char* name;
        IconButtonMetrics metrics;
        IconButtonPlacement expected;
    };
    auto manual = [](IconButtonMetrics m, int iconX, int iconY, int textX, int textY) {
        m.autoLayout = false;
        m.iconX = iconX;
        m.iconY = iconY;
        m.textX = textX;
        m.textY = textY;
        return m;
    };
    auto pressed = [](IconButtonMetrics m) {
        m.pressed = true;
        return m;
    };
    const Case cases[] = {
        // Room right of the icon: 100 - (4 + 16 + 8) - 40 = 32, half of it before the caption.
        {"icon and caption", Metrics(100, 24, true, 40, 14), {4, 4, 28 + 16, 5}},
        {"pressed shifts by one", pressed(Metrics(100, 24, true, 40, 14)), {5, 5, 45, 6}},
        // The about button: icon centred horizontally, 4 from the top.
        {"manual, centred x", manual(Metrics(30, 26, true, 0, 0), -1, 4, -1, -1), {7, 4, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IconButtonPlacement p = LayoutIconButton(c.metrics);
        if (!c.metrics.hasText) {  // no caption: its place means nothing
            p.textX = p.textY = 0;
        }
        EXPECT_EQ(p, c.expected);
    }
}

// A picture that loads makes room for itself; one that does not leaves the caption alone.
TEST(IconButton, IconMakesRoom) {
    test::WidgetApp();
    IconButton plain(QStringLiteral("&Settings"));
    IconButton withIcon(QStringLiteral("&Settings"));
    EXPECT_FALSE(plain.SetIcon(QStringLiteral(":/corvane/icons/no-such.svg"), 16, 16));
    ASSERT_TRUE(withIcon.SetIcon(QString::fromLatin1(artwork::kSettings), 16, 16));
    EXPECT_EQ(withIcon.sizeHint().width(), plain.sizeHint().width() + 16 + IconButton::kGap);
}

}  // namespace
}  // namespace corvane
