#include <gtest/gtest.h>

#include "processing/FilePairing.h"
#include "processing/PlaylistWriter.h"
#include "processing/ProcessingLog.h"
#include "processing/ProcessingPipeline.h"

namespace corvane::test {
namespace {

// The stream's joined lines are the CLI tests'.
TEST(ProcessingLogTest, DoneJoinsTheLastLine) {
    std::vector<std::string> lines;
    for (const char* text :
         {kDoneText, "Creating New Directory...", "Done.", "Done. 2 failed", "done."}) {
        AppendLogLine(lines, text);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"Done.", "Creating New Directory... Done.",
                                               "Done. 2 failed", "done."}));
}

TEST(PlaylistTest, ExtendedM3uWithCrLfBareNamesAndCleanedLabels) {
    EXPECT_EQ(BuildPlaylist({{224, "Help", "01 - Help.mp3"},
                             {0, "Line\r\nBreak", "02 - x.mp3"},
                             {4294967295u, "", "03.mp3"}}),
              "#EXTM3U\r\n"
              "#EXTINF:224,Help\r\n01 - Help.mp3\r\n"
              "#EXTINF:0,Line  Break\r\n02 - x.mp3\r\n"
              "#EXTINF:4294967295,\r\n03.mp3\r\n");
    EXPECT_EQ(BuildPlaylist({}), "#EXTM3U\r\n");
    // Without a title the label is the name without ".mp3" (lower case only).
    EXPECT_EQ(PlaylistLabel("Help", "01 - Help.mp3"), "Help");
    EXPECT_EQ(PlaylistLabel("", "01 - a.mp3b.mp3"), "01 - ab");
    EXPECT_EQ(PlaylistLabel("", "01 - Loud.MP3"), "01 - Loud.MP3");
    EXPECT_FALSE(CanListFileName("a\nb.mp3"));
    TrackInfo track;
    track.artist = "A/B \"C\"";
    track.album = "Best: Vol 1?";
    EXPECT_EQ(PlaylistFileName(track), "A_B 'C' - Best_ Vol 1_.m3u");
    // Long names stay within one file name, cut before a character that would not fit whole.
    track.artist = std::string(201, 'a');  // with " - ", 204 bytes: an odd room is left
    track.album.clear();
    for (int i = 0; i < 50; ++i) {
        track.album += "\xC3\xA9";  // "é"
    }
    EXPECT_EQ(PlaylistFileName(track),
              std::string(201, 'a') + " - " + track.album.substr(0, 46) + ".m3u");
    EXPECT_EQ(AlbumDirectoryName(track), std::string(201, 'a') + " - " + track.album.substr(0, 50));
}

TrackInfo Named(const std::string& name) {
    TrackInfo record;
    record.fileName = name;
    return record;
}

FileJob Job(int row, int file, int track, const std::string& name, const std::string& newName,
            const std::string& skip) {
    FileJob job;
    job.row = row;
    job.fileRecord = file;
    job.trackRecord = track;
    job.currentName = name;
    job.newName = newName;
    job.skipReason = skip;
    return job;
}

TEST(FilePairingTest, RowsPairByPositionAndBadPartnersAreSkipped) {
    const TrackList files = {Named("a.mp3"), Named("b.mp3"), Named("c.mp3"), Named("d.mp3")};
    const TrackList tracks = {Named("01.mp3"), Named(" "), Named("x/y.mp3"), Named(".."),
                              Named("05.mp3")};
    const std::string bad = "the album track's file name ";
    EXPECT_EQ(PairRows(files, {3, 0, 0, 1, 2, 3, 1, -1}, tracks, {0, 3, 4, 1, 2, 4}),
              (std::vector<FileJob>{
                  Job(0, 3, 0, "d.mp3", "01.mp3", ""),
                  Job(1, 0, 3, "a.mp3", "..", bad + "\"..\" is not usable"),
                  Job(2, 0, 4, "a.mp3", "05.mp3", ""),
                  Job(3, 1, 1, "b.mp3", " ", bad + "\" \" is not usable"),
                  Job(4, 2, 2, "c.mp3", "x/y.mp3", bad + "\"x/y.mp3\" is not usable"),
                  Job(5, 3, 4, "d.mp3", "05.mp3", "the file is listed twice"),
                  Job(6, 1, -1, "b.mp3", "", "no album track for this file"),
                  Job(7, -1, -1, "", "", "no file record for this row"),
              }));
    const auto crossed = PairRows(files, {0, 1}, tracks, {4, 4});
    EXPECT_EQ(crossed[1].skipReason, "its album track is paired with another file");
}

// Files of 10 s; tracks of 4 to 16 s. Only what differs by more than the tolerance counts.
TEST(FilePairingTest, LengthsThatDoNotFitAreFound) {
    TrackList files(5, Named("f.mp3"));
    TrackList tracks;
    for (const std::uint32_t seconds : {4u, 5u, 10u, 15u, 16u}) {
        tracks.push_back(Named("t.mp3"));
        tracks.back().playSeconds = seconds;
        files[tracks.size() - 1].playSeconds = 10;
    }
    // Rows shown in another order pair by the record each carries; file 4 has no track row.
    const std::vector<int> fileRows = {3, 0, 2, 1, 4};
    const std::vector<int> trackRows = PartnerTrackRows(fileRows, {0, 1, 2, 3});
    EXPECT_EQ(trackRows, (std::vector<int>{3, 0, 2, 1, -1}));
    std::vector<int> mismatched;
    for (const FileJob& job :
         LengthMismatches(PairRows(files, fileRows, tracks, trackRows), files, tracks)) {
        mismatched.push_back(job.trackRecord);
    }
    EXPECT_EQ(mismatched, std::vector<int>{0});  // 4 s; 16 s has no row, 5 and 15 s fit
}

}  // namespace
}  // namespace corvane::test
