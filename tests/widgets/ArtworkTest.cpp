#include "widgets/Artwork.h"
#include "widgets/IconStatic.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>

#include "support/WidgetTestApp.h"

namespace corvane {
namespace {

int OpaquePixels(const QImage& image, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            n += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    return n;
}

TEST(Artwork, EveryPictureLoadsAndDrawsSomethingAtItsSize) {
    test::WidgetApp();
    for (const QString& path : AllArtworkPaths()) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_FALSE(path.isEmpty());
        const QSize size = ArtworkSize(path);
        ASSERT_FALSE(size.isEmpty());
        const QImage image = ArtworkPixmap(path).toImage();
        ASSERT_EQ(image.size(), size);
        EXPECT_GT(OpaquePixels(image, image.rect()), image.width() * image.height() / 20);
        EXPECT_FALSE(ArtworkIcon(path).isNull());
    }
    EXPECT_TRUE(ArtworkPixmap(QStringLiteral(":/corvane/none.svg")).isNull());
}

// A static shows a picture at the size asked, sharp for its screen; a picture that cannot be
// loaded leaves the label as it was.
TEST(Artwork, StaticsShowPicturesAtTheirSize) {
    test::WidgetApp();
    QLabel label;
    ASSERT_TRUE(SetStaticPicture(&label, QString::fromLatin1(artwork::kGroupTags)));
    EXPECT_EQ(label.pixmap().deviceIndependentSize().toSize(), QSize(16, 16));
    ASSERT_TRUE(SetStaticPicture(&label, StepPicturePath(1, true), QSize(32, 32)));
    EXPECT_EQ(label.pixmap().deviceIndependentSize().toSize(), QSize(32, 32));
    const QImage before = label.pixmap().toImage();
    EXPECT_FALSE(SetStaticPicture(&label, QStringLiteral(":/corvane/none.svg")));
    EXPECT_FALSE(SetStaticPicture(nullptr, QString::fromLatin1(artwork::kAbout)));
    EXPECT_EQ(label.pixmap().toImage(), before);
}

}  // namespace
}  // namespace corvane
