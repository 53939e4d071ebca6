#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "processing/FilePairing.h"
#include "processing/PlaylistWriter.h"
#include "processing/ProcessingLog.h"
#include "processing/ProcessingPipeline.h"

namespace corvane::test {
namespace {

TEST(ProcessingLogTest, DoneJoinsTheLastLineOnly) {
    std::vector<std::string> lines;
    AppendLogLine(lines, kDoneText);
    AppendLogLine(lines, "Creating New Directory...");
    AppendLogLine(lines, "Done.");
    AppendLogLine(lines, "Done. 2 failed");
    AppendLogLine(lines, "done.");
    EXPECT_EQ(lines, (std::vector<std::string>{"Done.", "Creating New Directory... Done.",
                                               "Done. 2 failed", "done."}));
}

TEST(ProcessingLogTest, StreamLogJoinsDoneOnTheSameLine) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* stream = ::open_memstream(&buffer, &size);
    ASSERT_NE(stream, nullptr);
    {
        StreamProcessingLog log(stream);
        log.Log("Creating New Directory...");
        log.Log(kDoneText);
        log.Log("Moving Files...");
        log.Log("Cannot move \"a.mp3\": File exists");
        log.Log("1 of 1 file failed.");
    }
    std::fclose(stream);
    EXPECT_EQ(std::string(buffer, size),
              "Creating New Directory... Done.\nMoving Files...\nCannot move \"a.mp3\": File "
              "exists\n1 of 1 file failed.\n");
    std::free(buffer);
}

TEST(PlaylistTest, ExtendedM3uWithCrLfAndBareNames) {
    const std::string text = BuildPlaylist({{224, "Help", "01 - Help.mp3"},
                                            {0, "Line\r\nBreak", "02 - x.mp3"},
                                            {4294967295u, "", "03.mp3"}});
    EXPECT_EQ(text,
              "#EXTM3U\r\n"
              "#EXTINF:224,Help\r\n01 - Help.mp3\r\n"
              "#EXTINF:0,Line  Break\r\n02 - x.mp3\r\n"
              "#EXTINF:4294967295,\r\n03.mp3\r\n");
    EXPECT_EQ(BuildPlaylist({}), "#EXTM3U\r\n");
}

TEST(PlaylistTest, LabelAndFileNameAreCleaned) {
    // Without a title the label is the name without ".mp3" (lower case only).
    EXPECT_EQ(PlaylistLabel("Help", "01 - Help.mp3"), "Help");
    EXPECT_EQ(PlaylistLabel("", "01 - a.mp3b.mp3"), "01 - ab");
    EXPECT_EQ(PlaylistLabel("", "01 - Loud.MP3"), "01 - Loud.MP3");
    TrackInfo track;
    track.artist = "A/B \"C\"";
    track.album = "Best: Vol 1?";
    EXPECT_EQ(PlaylistFileName(track), "A_B 'C' - Best_ Vol 1_.m3u");
    EXPECT_FALSE(CanListFileName("a\nb.mp3"));
    EXPECT_TRUE(CanListFileName("a b.mp3"));
}

TEST(PlaylistTest, LongAlbumNamesStayWithinOneFileName) {
    TrackInfo track;
    track.artist = std::string(201, 'a');  // with " - ", 204 bytes: an odd room is left
    for (int i = 0; i < 50; ++i) {
        track.album += "\xC3\xA9";  // "é"
    }
    // Both are cut before the "é" that would not fit whole.
    EXPECT_EQ(PlaylistFileName(track),
              std::string(201, 'a') + " - " + track.album.substr(0, 46) + ".m3u");
    EXPECT_EQ(AlbumDirectoryName(track), std::string(201, 'a') + " - " + track.album.substr(0, 50));
}

TrackInfo Named(const std::string& name) {
    TrackInfo record;
    record.fileName = name;
    return record;
}

TEST(FilePairingTest, RowsPairByPositionAndBadPartnersAreSkipped) {
    const TrackList files = {Named("a.mp3"), Named("b.mp3"), Named("c.mp3"), Named("d.mp3"),
                             Named("e.mp3")};
    const TrackList tracks = {Named("01.mp3"), Named(" "), Named("x/y.mp3"), Named("..")};
    const auto jobs = PairRows(files, {4, 0, 0, 1, 2, 3, -1}, tracks, {0, 3, 1, 1, 2});
    ASSERT_EQ(jobs.size(), 7u);
    EXPECT_EQ(jobs[0].fileRecord, 4);
    EXPECT_EQ(jobs[0].trackRecord, 0);
    EXPECT_EQ(jobs[0].currentName, "e.mp3");
    EXPECT_EQ(jobs[0].skipReason, "");
    EXPECT_EQ(jobs[1].skipReason, "the album track's file name \"..\" is not usable");
    EXPECT_EQ(jobs[2].skipReason, "the album track's file name \" \" is not usable");
    EXPECT_EQ(jobs[3].skipReason, "the album track's file name \" \" is not usable");
    EXPECT_EQ(jobs[4].skipReason, "the album track's file name \"x/y.mp3\" is not usable");
    EXPECT_EQ(jobs[5].skipReason, "no album track for this file");
    EXPECT_EQ(jobs[6].skipReason, "no file record for this row");
}

TEST(FilePairingTest, ARecordListedTwiceIsHandledOnce) {
    const TrackList files = {Named("a.mp3")};
    const TrackList tracks = {Named("01.mp3"), Named("02.mp3")};
    const auto jobs = PairRows(files, {0, 0}, tracks, {0, 1});
    EXPECT_EQ(jobs[0].skipReason, "");
    EXPECT_EQ(jobs[1].skipReason, "the file is listed twice");
    const auto crossed = PairRows({Named("a.mp3"), Named("b.mp3")}, {0, 1}, tracks, {1, 1});
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
