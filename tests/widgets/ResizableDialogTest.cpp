#include "widgets/ResizableDialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "support/WidgetTestApp.h"

namespace corvane {
namespace {

// The anchor arithmetic has its own table; here, when the dialog applies it and to what.
TEST(ResizableDialog, AnchorsApplyAfterSetUpAndFollowReAnchor) {
    test::WidgetApp();
    ResizableDialog dialog;
    dialog.resize(400, 300);
    auto* stretched = new QLabel(QStringLiteral("stretched"), &dialog);
    stretched->setGeometry(10, 10, 100, 50);
    auto* corner = new QLabel(QStringLiteral("corner"), &dialog);
    corner->setGeometry(350, 260, 40, 30);
    dialog.AddAnchor(stretched, TopLeft, BottomRight);
    dialog.AddAnchor(corner, BottomRight);
    dialog.resize(450, 350);  // before set-up ends, a resize is the dialog's own business
    EXPECT_EQ(stretched->geometry(), QRect(10, 10, 100, 50));
    dialog.resize(400, 300);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(200, 100);  // not smaller than after set-up
    EXPECT_EQ(dialog.size(), QSize(400, 300));
    dialog.resize(500, 420);
    EXPECT_EQ(corner->geometry(), QRect(450, 380, 40, 30));
    // ReAnchor takes the current rectangle as the new base; a deleted control is forgotten.
    stretched->setGeometry(20, 20, 60, 40);
    EXPECT_TRUE(dialog.ReAnchor(stretched, TopLeft, BottomRight));
    delete corner;
    dialog.resize(550, 450);
    EXPECT_EQ(stretched->geometry(), QRect(20, 20, 110, 70));
    dialog.SetUseMinTrack(false);
    dialog.resize(300, 200);
    EXPECT_EQ(dialog.size(), QSize(300, 200));
}

}  // namespace
}  // namespace corvane
