#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

// The gallery is how people look the widgets over; it must keep drawing all of them.
TEST(Gallery, DrawsEveryWidgetAndPictureIntoPngFiles) {
    const std::string gallery = test::BinDir() + "/corvane-gallery";
    ASSERT_TRUE(fs::exists(gallery)) << gallery;
    test::TempDir out;
    const std::string dir = out.File("pictures");
    ASSERT_EQ(test::RunProcess({gallery, dir}), 0);
    int pngs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        std::string head;
        ASSERT_TRUE(test::ReadFileBytes(entry.path().string(), head));
        EXPECT_EQ(head.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << entry.path();
        ++pngs;
    }
    EXPECT_GE(pngs, 54);
    EXPECT_NE(test::RunProcess({gallery}), 0);  // no folder given: usage error
}

}  // namespace
}  // namespace corvane
