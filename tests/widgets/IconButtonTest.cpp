#include "widgets/IconButton.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

#include "widgets/Artwork.h"
#include "widgets/IconButtonLayout.h"
#include "widgets/WidgetTestApp.h"

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

TEST(IconButtonLayout, AutomaticPlacesIconAtMarginAndCaptionInTheRestsMiddle) {
    // Room right of the icon: 100 - (4 + 16 + 8) - 40 = 32, half of it before the caption.
    EXPECT_EQ(LayoutIconButton(Metrics(100, 24, true, 40, 14)),
              (IconButtonPlacement{4, 4, 28 + 16, 5}));
    // Too narrow: the caption starts right after the gap.
    EXPECT_EQ(LayoutIconButton(Metrics(60, 25, true, 40, 14)), (IconButtonPlacement{4, 4, 28, 5}));
    // Icon only: centred both ways. Caption only: centred both ways.
    const IconButtonPlacement iconOnly = LayoutIconButton(Metrics(30, 24, true, 0, 0));
    EXPECT_EQ(iconOnly.iconX, 7);
    EXPECT_EQ(iconOnly.iconY, 4);
    const IconButtonPlacement textOnly = LayoutIconButton(Metrics(100, 24, false, 40, 14));
    EXPECT_EQ(textOnly.textX, 30);
    EXPECT_EQ(textOnly.textY, 5);
}

TEST(IconButtonLayout, ManualPositionsAndCentredAxes) {
    IconButtonMetrics m = Metrics(120, 26, true, 50, 14);
    m.autoLayout = false;
    m.iconX = 15;
    m.iconY = 4;
    m.textX = 50;
    m.textY = 5;
    EXPECT_EQ(LayoutIconButton(m), (IconButtonPlacement{15, 4, 50, 5}));
    // The about button: icon centred horizontally, 4 from the top.
    IconButtonMetrics about = Metrics(30, 26, true, 0, 0);
    about.autoLayout = false;
    about.iconX = -1;
    about.iconY = 4;
    const IconButtonPlacement p = LayoutIconButton(about);
    EXPECT_EQ(p.iconX, 7);
    EXPECT_EQ(p.iconY, 4);
}

TEST(IconButtonLayout, PressedShiftsIconAndCaptionByOnePixel) {
    IconButtonMetrics m = Metrics(100, 24, true, 40, 14);
    const IconButtonPlacement up = LayoutIconButton(m);
    m.pressed = true;
    const IconButtonPlacement down = LayoutIconButton(m);
    EXPECT_EQ(down, (IconButtonPlacement{up.iconX + 1, up.iconY + 1, up.textX + 1, up.textY + 1}));
}

TEST(IconButton, PositionsTurnAutomaticLayoutOffAndReturnTheOldOnes) {
    test::WidgetApp();
    IconButton button(QStringLiteral("&Query"));
    EXPECT_TRUE(button.IsAutoLayout());
    EXPECT_EQ(button.SetIconPos(15, 4), QPoint(-1, -1));
    EXPECT_FALSE(button.IsAutoLayout());
    EXPECT_EQ(button.SetIconPos(16, 5), QPoint(15, 4));
    EXPECT_EQ(button.SetTextPos(50, 5), QPoint(-1, -1));
    EXPECT_EQ(button.SetTextPos(51, 5), QPoint(50, 5));
}

TEST(IconButton, MissingIconDrawsOnlyTheCaption) {
    test::WidgetApp();
    IconButton plain(QStringLiteral("&Execute"));
    IconButton broken(QStringLiteral("&Execute"));
    EXPECT_FALSE(broken.SetIcon(QStringLiteral(":/corvane/icons/no-such.svg"), 16, 16));
    EXPECT_FALSE(broken.HasIcon());
    plain.resize(110, 26);
    broken.resize(110, 26);
    EXPECT_EQ(plain.grab().toImage(), broken.grab().toImage());

    IconButton withIcon(QStringLiteral("&Execute"));
    EXPECT_FALSE(withIcon.SetIcon(12345, 16, 16));
    EXPECT_TRUE(withIcon.SetIcon(169, 16, 16));
    EXPECT_EQ(withIcon.IconSize(), QSize(16, 16));
    withIcon.resize(110, 26);
    EXPECT_NE(withIcon.grab().toImage(), plain.grab().toImage());
}

TEST(IconButton, SizeHintMakesRoomForTheIcon) {
    test::WidgetApp();
    IconButton plain(QStringLiteral("&Settings"));
    IconButton withIcon(QStringLiteral("&Settings"));
    ASSERT_TRUE(withIcon.SetIcon(164, 16, 16));
    EXPECT_EQ(withIcon.sizeHint().width(), plain.sizeHint().width() + 16 + IconButton::kGap);
    EXPECT_GE(withIcon.sizeHint().height(), 16 + 2 * IconButton::kMargin);
    IconButton iconOnly;
    ASSERT_TRUE(iconOnly.SetIcon(163, 16, 16));
    EXPECT_GE(iconOnly.sizeHint().width(), 16);
}

TEST(IconButton, PressedAndDisabledLooksDiffer) {
    test::WidgetApp();
    IconButton button(QStringLiteral("&Settings"));
    ASSERT_TRUE(button.SetIcon(QString::fromLatin1(artwork::kSettings), 16, 16));
    button.resize(110, 26);
    const QImage normal = button.grab().toImage();
    button.setDown(true);
    const QImage pressed = button.grab().toImage();
    EXPECT_NE(pressed, normal);
    button.setDown(false);
    button.setEnabled(false);
    EXPECT_NE(button.grab().toImage(), normal);
}

}  // namespace
}  // namespace corvane
