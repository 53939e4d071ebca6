#include "widgets/ResizableDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QSizeGrip>
#include <QTest>

#include "widgets/WidgetTestApp.h"

namespace corvane {
namespace {

class ResizableDialogTest : public test::WidgetTest {
protected:
    void SetUp() override {
        test::WidgetApp();
        dialog.resize(400, 300);
        stretched = new QLabel(QStringLiteral("stretched"), &dialog);
        stretched->setGeometry(10, 10, 100, 50);
        lower = new QListWidget(&dialog);
        lower->setGeometry(10, 160, 380, 130);
        corner = new QLabel(QStringLiteral("corner"), &dialog);
        corner->setGeometry(350, 260, 40, 30);
        dialog.AddAnchor(stretched, TopLeft, BottomRight);
        dialog.AddAnchor(lower, MiddleLeft, BottomRight);
        dialog.AddAnchor(corner, BottomRight);
    }

    ResizableDialog dialog;
    QLabel* stretched = nullptr;
    QListWidget* lower = nullptr;
    QLabel* corner = nullptr;
};

TEST_F(ResizableDialogTest, ControlsFollowTheirAnchorsOnResize) {
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(500, 420);
    EXPECT_EQ(stretched->geometry(), QRect(10, 10, 200, 170));
    EXPECT_EQ(lower->geometry(), QRect(10, 210 + 10, 480, 190));
    EXPECT_EQ(corner->geometry(), QRect(450, 380, 40, 30));
}

TEST_F(ResizableDialogTest, NoLayoutBeforeSetupAndNotSmallerThanAfterIt) {
    // Before set-up ends, a resize is the dialog's own business.
    dialog.resize(450, 350);
    EXPECT_EQ(stretched->geometry(), QRect(10, 10, 100, 50));
    dialog.resize(400, 300);
    dialog.show();
    ASSERT_TRUE(dialog.IsSetupDone());
    EXPECT_EQ(dialog.minimumSize(), QSize(400, 300));
    dialog.resize(200, 100);
    EXPECT_EQ(dialog.size(), QSize(400, 300));
    dialog.SetUseMinTrack(false);
    dialog.resize(300, 200);
    EXPECT_EQ(dialog.size(), QSize(300, 200));
}

TEST_F(ResizableDialogTest, HiddenGripLeavesTheCornerToTheDefault) {
    dialog.show();
    const QPoint gripCentre = dialog.GripRect().center();
    EXPECT_NE(qobject_cast<QSizeGrip*>(dialog.childAt(gripCentre)), nullptr);
    dialog.ShowSizeGrip(false);
    EXPECT_FALSE(dialog.IsSizeGripShown());
    EXPECT_EQ(qobject_cast<QSizeGrip*>(dialog.childAt(gripCentre)), nullptr);
    dialog.resize(480, 380);
    EXPECT_EQ(qobject_cast<QSizeGrip*>(dialog.childAt(dialog.GripRect().center())), nullptr);
    dialog.ShowSizeGrip(true);
    EXPECT_NE(qobject_cast<QSizeGrip*>(dialog.childAt(dialog.GripRect().center())), nullptr);
}

TEST_F(ResizableDialogTest, ReAnchorTakesTheCurrentRectangleAsBase) {
    dialog.show();
    stretched->setGeometry(20, 20, 60, 40);
    EXPECT_TRUE(dialog.ReAnchor(stretched, TopLeft, BottomRight));
    dialog.resize(450, 330);
    EXPECT_EQ(stretched->geometry(), QRect(20, 20, 110, 70));
    QLabel stranger(QStringLiteral("not anchored"), &dialog);
    EXPECT_FALSE(dialog.ReAnchor(&stranger, TopLeft, BottomRight));
    EXPECT_FALSE(dialog.IsAnchored(&stranger));
}

TEST_F(ResizableDialogTest, ListKeepsItsHorizontalScrollPosition) {
    lower->addItem(QString(400, QLatin1Char('x')));
    lower->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QScrollBar* bar = lower->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 100);
    bar->setValue(100);
    dialog.resize(520, 300);
    EXPECT_EQ(bar->value(), 100);
}

TEST_F(ResizableDialogTest, DeletedControlIsForgotten) {
    dialog.show();
    delete corner;
    corner = nullptr;
    dialog.resize(460, 310);  // must not touch the deleted label
    EXPECT_EQ(stretched->geometry(), QRect(10, 10, 160, 60));
}

}  // namespace
}  // namespace corvane
