#include "association/PairingFile.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(PairingFileTest, ReadsPairsAndRefusesBadLines) {
    TrackList files(3);
    TrackList tracks(3);
    const char* const names[] = {"a.mp3", "b b.mp3", "c.mp3"};
    for (std::size_t i = 0; i < 3; ++i) {
        files[i].fileName = names[i];
        tracks[i].track = std::to_string(i + 1);
    }
    struct Case {
        const char* text;
        std::vector<int> files;
        std::vector<int> tracks;
        const char* problem;
    };
    const Case cases[] = {
        {"b b.mp3\t1\r\n\na.mp3\t03\n", {1, 0}, {0, 2}, ""},
        {"a.mp3 1\n", {}, {}, "line 1: no tab between the file name and the track number"},
        {"a.mp3\t1\nz.mp3\t2\n", {}, {}, "line 2: no file \"z.mp3\""},
        {"a.mp3\t9\n", {}, {}, "line 1: no track 9"},
        {"a.mp3\t99999999999999999999\n", {}, {}, "line 1: no track 99999999999999999999"},
        {"a.mp3\t1\na.mp3\t2\n", {}, {}, "line 2: \"a.mp3\" is paired twice"},
        {"a.mp3\t1\nc.mp3\t1\n", {}, {}, "line 2: track 1 is paired twice"},
    };
    for (const Case& c : cases) {
        std::vector<int> fileRows{7};
        std::vector<int> trackRows{7};
        std::string problem;
        EXPECT_EQ(ParsePairing(c.text, files, tracks, fileRows, trackRows, problem),
                  *c.problem == '\0')
            << c.text;
        EXPECT_EQ(fileRows, c.files) << c.text;
        EXPECT_EQ(trackRows, c.tracks) << c.text;
        EXPECT_EQ(problem, c.problem);
    }
}

}  // namespace
}  // namespace corvane
