#include "association/DisplayLine.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TrackInfo File(const std::string& name, const std::string& title, std::uint32_t seconds) {
    TrackInfo file;
    file.fileName = name;
    file.title = title;
    file.playSeconds = seconds;
    return file;
}

TEST(DisplayLineTest, ParseIsExactForEveryLineItMakes) {
    for (std::uint32_t seconds : {0u, 59u, 3725u, 6000u, 100000u}) {
        for (const char* title : {"x", " padded ", "Song [Live]", "Été"}) {
            DisplayLineParts parts;
            ASSERT_TRUE(ParseDisplayLine(FileDisplayLine(File("f.mp3", title, seconds)), parts));
            EXPECT_EQ(parts.name, title);
            EXPECT_EQ(parts.playSeconds, seconds);
        }
    }
}

TEST(DisplayLineTest, RejectsTextsThatAreNoDisplayLines) {
    DisplayLineParts parts;
    for (const char* text : {"", " ", "name [1:2]", "name [aa:bb:cc]", "name 00:00:00]"}) {
        EXPECT_FALSE(ParseDisplayLine(text, parts)) << text;
    }
    EXPECT_EQ(parts.playSeconds, 0u);
    EXPECT_TRUE(parts.name.empty());
}

TEST(DisplayLineTest, FindsTheRecordOfALine) {
    const TrackList files = {File("a.mp3", "", 100), File("b.mp3", "Song", 200),
                             File("c.mp3", "Song", 300)};
    EXPECT_EQ(FindRecordForLine(files, "a.mp3 [00:01:40]"), 0);
    EXPECT_EQ(FindRecordForLine(files, "Song [00:05:00]"), 2);
    EXPECT_EQ(FindRecordForLine(files, "Song [00:05:01]"), -1);
    EXPECT_EQ(FindRecordForLine(files, " "), -1);
}

}  // namespace
}  // namespace corvane
