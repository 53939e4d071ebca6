#include "widgets/Artwork.h"

#include <gtest/gtest.h>

#include <QPixmap>

#include "support/TestSupport.h"
#include "support/WidgetTestApp.h"

namespace corvane {
namespace {

TEST(Artwork, EveryPictureLoadsAtItsSize) {
    test::WidgetApp();
    for (const QString& path : AllArtworkPaths()) {
        const QSize size = ArtworkSize(path);
        EXPECT_TRUE(!size.isEmpty() && ArtworkPixmap(path).size() == size) << path.toStdString();
    }
    EXPECT_TRUE(ArtworkPixmap(QStringLiteral(":/corvane/none.svg")).isNull());
}

// The gallery is how people look the widgets over; it must keep running.
TEST(Gallery, DrawsItsPictures) {
    test::TempDir out;
    EXPECT_EQ(test::RunProcess({test::BinDir() + "/corvane-gallery", out.File("pictures")}), 0);
}

}  // namespace
}  // namespace corvane
