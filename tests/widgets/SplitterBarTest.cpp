#include "widgets/SplitterBar.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "support/WidgetTestApp.h"
#include "widgets/SplitterRange.h"

namespace corvane {
namespace {

TEST(SplitterRange, PanesKeepTheirMinimumsAndABarNeedsRoom) {
    // Parent 0..600, a first pane from 20 and a second pane up to 580.
    const SplitterRange r = ComputeSplitterRange({0, 600}, {{20, 200}}, {{208, 580}}, 150, 150);
    EXPECT_EQ(r.low, 170);
    EXPECT_EQ(r.high, 430);
    const SplitterSpan bar{202, 206};
    EXPECT_TRUE(CanDragSplitter(r, bar));
    EXPECT_EQ(ConfineSplitterDistance(r, bar, 50), 50);
    EXPECT_EQ(ConfineSplitterDistance(r, bar, 1000), 430 - 206);
    EXPECT_EQ(ConfineSplitterDistance(r, bar, -1000), 170 - 202);
    // Room for both minimums but not for the bar between them.
    EXPECT_FALSE(CanDragSplitter(ComputeSplitterRange({0, 303}, {}, {}, 150, 150), {150, 154}));
}

// A 600 x 400 dialog: a pane of 201 pixels, the bar at 202..205, a pane from 207.
class SplitterDragTest : public test::WidgetTest {
protected:
    void SetUp() override {
        dialog.resize(600, 400);
        left->setGeometry(0, 0, 201, 400);
        placeholder->setGeometry(202, 0, 4, 400);
        right->setGeometry(207, 0, 393, 400);
        ASSERT_TRUE(bar->Bind(placeholder, 1050));
        bar->SetMinSizes(150, 150);
        bar->AttachFirstPane(left);
        bar->AttachSecondPane(right);
        bar->RecalcLayout();
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    void Press(QPoint at) { QTest::mousePress(bar, Qt::LeftButton, {}, at); }
    void MoveTo(QPoint at) { QTest::mouseMove(bar, at); }

    QWidget dialog;
    QWidget* left = new QWidget(&dialog);
    QWidget* placeholder = new QWidget(&dialog);
    QWidget* right = new QWidget(&dialog);
    VerticalSplitterBar* bar = new VerticalSplitterBar(&dialog);
};

TEST_F(SplitterDragTest, DragMovesBarAndPanesAndTellsTheDialog) {
    EXPECT_FALSE(placeholder->isVisible());
    QSignalSpy moved(bar, &SplitterBar::moved);
    Press(QPoint(2, 100));
    MoveTo(QPoint(62, 120));
    EXPECT_EQ(bar->geometry().left(), 202);  // only the drag image moves meanwhile
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(62, 120));
    EXPECT_FALSE(bar->IsDragging());
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0), (QList<QVariant>{60, 1050}));
    EXPECT_EQ(bar->geometry(), QRect(262, 0, 4, 400));
    EXPECT_EQ(left->geometry().right() + 1, 261);  // one pixel gap on each side
    EXPECT_EQ(right->geometry(), QRect(267, 0, 333, 400));
    bar->Unbind();
    EXPECT_TRUE(placeholder->isVisible());
    EXPECT_FALSE(bar->isVisible());
}

// Escape ends a drag where it was last shown; a click without a move, or a press without
// room to move, sends nothing.
TEST_F(SplitterDragTest, DragEndsAndNonDrags) {
    QSignalSpy moved(bar, &SplitterBar::moved);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(2, 100));
    Press(QPoint(2, 100));
    MoveTo(QPoint(-28, 100));
    QTest::keyClick(bar, Qt::Key_Escape);
    EXPECT_FALSE(bar->IsDragging());
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), -30);

    dialog.resize(300, 400);
    right->setGeometry(207, 0, 93, 400);
    Press(QPoint(2, 100));
    EXPECT_FALSE(bar->IsDragging());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(40, 100));
    EXPECT_EQ(moved.count(), 1);
}

}  // namespace
}  // namespace corvane
