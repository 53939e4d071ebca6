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
    for (const char* icon : {artwork::kQuery, artwork::kExecute, artwork::kSettings,
                             artwork::kAbout, artwork::kGroupTags, artwork::kGroupCddb}) {
        EXPECT_EQ(ArtworkSize(QString::fromLatin1(icon)), QSize(16, 16)) << icon;
    }
    EXPECT_EQ(ArtworkSize(LoadingFramePath(0)), QSize(16, 16));
    EXPECT_TRUE(ArtworkPixmap(QStringLiteral(":/corvane/none.svg")).isNull());
    EXPECT_TRUE(StepPicturePath(4, true).isEmpty());
    EXPECT_TRUE(LoadingFramePath(10).isEmpty());
}

TEST(Artwork, AnimationFramesStepPicturesAndGlyphCellsDiffer) {
    test::WidgetApp();
    for (int frame = 0; frame < artwork::kLoadingFrameCount; ++frame) {
        const int next = (frame + 1) % artwork::kLoadingFrameCount;
        EXPECT_NE(ArtworkPixmap(LoadingFramePath(frame)).toImage(),
                  ArtworkPixmap(LoadingFramePath(next)).toImage())
            << frame;
    }
    for (int step = 0; step < artwork::kStepCount; ++step) {
        EXPECT_NE(ArtworkPixmap(StepPicturePath(step, false)).toImage(),
                  ArtworkPixmap(StepPicturePath(step, true)).toImage())
            << step;
    }
    // The glyph strip: four 22-pixel cells, the first one empty.
    const QImage strip = ArtworkPixmap(QString::fromLatin1(artwork::kMoveBarGlyphs)).toImage();
    ASSERT_EQ(strip.size(), QSize(88, 20));
    EXPECT_EQ(OpaquePixels(strip, QRect(0, 0, 22, 20)), 0);
    for (int cell = 1; cell < 4; ++cell) {
        EXPECT_GT(OpaquePixels(strip, QRect(cell * 22, 0, 22, 20)), 40) << cell;
    }
}

TEST(Artwork, ResourceNumbersMapToPicturesAndStatics) {
    test::WidgetApp();
    EXPECT_EQ(ArtworkPathForId(165, false), QString::fromLatin1(artwork::kQuery));
    EXPECT_EQ(ArtworkPathForId(131, true), StepPicturePath(0, true));
    EXPECT_EQ(ArtworkPathForId(132, true), StepPicturePath(0, false));
    EXPECT_EQ(ArtworkPathForId(150, true), QString::fromLatin1(artwork::kTrackCountNotEnough));
    for (int id : {159, 160, 166, 167, 168, 161, 163, 164, 165, 169, 154}) {
        EXPECT_FALSE(ArtworkIcon(ArtworkPathForId(id, false)).isNull()) << id;
    }
    for (int id = 129; id <= 136; ++id) {
        EXPECT_FALSE(ArtworkPixmap(ArtworkPathForId(id, true)).isNull()) << id;
    }
    EXPECT_TRUE(ArtworkPathForId(999, false).isEmpty());
    EXPECT_TRUE(ArtworkPathForId(165, true).isEmpty());  // an icon number is no bitmap

    QLabel label;
    EXPECT_TRUE(SetStaticIcon(&label, 159));
    EXPECT_EQ(label.pixmap().deviceIndependentSize().toSize(), QSize(16, 16));
    EXPECT_TRUE(SetStaticBitmap(&label, 133, QSize(32, 32)));
    EXPECT_EQ(label.pixmap().deviceIndependentSize().toSize(), QSize(32, 32));
    // An unknown number leaves the label as it was.
    const QImage before = label.pixmap().toImage();
    EXPECT_FALSE(SetStaticIcon(&label, 4711));
    EXPECT_FALSE(SetStaticPicture(nullptr, QString::fromLatin1(artwork::kAbout)));
    EXPECT_EQ(label.pixmap().toImage(), before);
}

}  // namespace
}  // namespace corvane
