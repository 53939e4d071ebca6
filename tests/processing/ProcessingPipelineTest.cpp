#include "processing/ProcessingPipeline.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>

#include "processing/AlbumFixture.h"
#include "processing/PlaylistWriter.h"
#include "support/FakeMp3Info.h"
#include "support/TestSupport.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

class PipelineTest : public ::testing::Test {
protected:
    void AddFile(const std::string& name, unsigned seconds) {
        files.push_back(MakeFile(dir.path(), name, seconds));
    }

    std::vector<std::string> Run(const ProcessingOptions& options, std::vector<int> fileRows = {},
                                 std::vector<int> trackRows = {}) {
        const PipelineRun run =
            RunPipeline(files, tracks, options, mp3, std::move(fileRows), std::move(trackRows));
        failures = run.failures;
        skipped = run.skipped;
        return run.lines;
    }

    // The lines between the start line and the end line.
    static std::vector<std::string> Body(const std::vector<std::string>& lines) {
        if (lines.size() < 2) {
            return {};
        }
        return {lines.begin() + 1, lines.end() - 1};
    }

    std::string AlbumDir() const { return dir.File("Artist - Album"); }

    CurrentDirGuard cwd;
    TempDir dir;
    FakeMp3Info mp3;
    TrackList files;
    TrackList tracks;
    int failures = -1;
    int skipped = -1;
};

TEST_F(PipelineTest, FullRunMovesTagsRenamesAndLogsEachStep) {
    // An album directory that is already there is used as it is.
    fs::create_directory(AlbumDir());
    WriteFileBytes(AlbumDir() + "/cover.jpg", "jpg");
    AddFile("track1.mp3", 224);
    AddFile("track2.mp3", 3725);
    tracks = {MakeTrack(1, "Help"), MakeTrack(2, "")};
    const auto lines = Run({true, true, false});

    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(std::regex_match(lines.front(),
                                 std::regex("Processing Files, started at \\d\\d:\\d\\d:\\d\\d")));
    EXPECT_TRUE(
        std::regex_match(lines.back(), std::regex("Operation finished at \\d\\d:\\d\\d:\\d\\d")));
    EXPECT_EQ(Body(lines),
              (std::vector<std::string>{"Creating New Directory... Done.", "Moving Files... Done.",
                                        "Renaming and ID3Tag Files... Done.",
                                        "Creating Playlist... Done."}));
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(skipped, 0);
    // The album directory stays the current directory.
    EXPECT_EQ(fs::path(CurrentDir()), fs::canonical(AlbumDir()));

    EXPECT_FALSE(fs::exists(dir.File("track1.mp3")));
    EXPECT_EQ(FileText(AlbumDir() + "/cover.jpg"), "jpg");
    EXPECT_EQ(FakeMp3Marker(AlbumDir() + "/01 - Help.mp3"), "track1.mp3");
    EXPECT_EQ(FakeMp3Marker(AlbumDir() + "/02 - .mp3"), "track2.mp3");
    FakeTag tag;
    ASSERT_TRUE(ReadFakeTag(AlbumDir() + "/01 - Help.mp3", tag));
    EXPECT_EQ(tag, (FakeTag{"Help", "Artist", "Album", "1999", "", "1", "Rock"}));

    EXPECT_EQ(FileText(AlbumDir() + "/Artist - Album.m3u"),
              "#EXTM3U\r\n#EXTINF:224,Help\r\n01 - Help.mp3\r\n"
              "#EXTINF:3725,02 - \r\n02 - .mp3\r\n");
}

TEST_F(PipelineTest, WithoutDirectoryRenamesInPlaceAndKeepsTheUsersPlaylist) {
    AddFile("b.mp3", 10);
    tracks = {MakeTrack(1, "One")};
    WriteFileBytes(dir.File("Artist - Album.m3u"), "mine");
    const auto lines = Run({false, true, false});
    EXPECT_EQ(Body(lines),
              (std::vector<std::string>{
                  "Renaming and ID3Tag Files... Done.", "Creating Playlist...",
                  "Cannot write the playlist \"Artist - Album.m3u\": File exists", "Failed."}));
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(FakeMp3Marker(dir.File("01 - One.mp3")), "b.mp3");
    EXPECT_FALSE(fs::exists(AlbumDir()));
    EXPECT_EQ(fs::path(CurrentDir()), fs::canonical(dir.path()));
    EXPECT_EQ(FileText(dir.File("Artist - Album.m3u")), "mine");
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"01 - One.mp3", "Artist - Album.m3u"}));
}

TEST_F(PipelineTest, AnAlbumNameOfTheLongestKindGetsItsPlaylist) {
    AddFile("b.mp3", 10);
    tracks = {MakeTrack(1, "One", "Artist", std::string(260, 'x'))};
    Run({false, true, false});
    EXPECT_EQ(failures, 0);
    const std::string name = PlaylistFileName(tracks[0]);
    EXPECT_EQ(name.size(), 255u);
    EXPECT_EQ(FileText(dir.File(name)), "#EXTM3U\r\n#EXTINF:10,One\r\n01 - One.mp3\r\n");
}

TEST_F(PipelineTest, DirectoryNameIsCleanedAndAFileInTheWayIsReported) {
    AddFile("a.mp3", 10);
    tracks = {MakeTrack(1, "One", "AC/DC", "Best: Vol 1")};
    WriteFileBytes(dir.File("AC_DC - Best_ Vol 1"), "not a folder");
    const auto lines = Run({true, false, false});
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[1], "Creating New Directory...");
    EXPECT_EQ(lines[2], "Cannot create the directory \"AC_DC - Best_ Vol 1\": File exists");
    EXPECT_EQ(lines[3], "Failed.");
    EXPECT_EQ(lines[4], "Moving Files...");
    EXPECT_GT(failures, 0);
    // Nothing was touched.
    EXPECT_EQ(FakeMp3Marker(dir.File("a.mp3")), "a.mp3");
    EXPECT_TRUE(mp3.written.empty());
}

TEST_F(PipelineTest, MoveWithoutDirectoryStepTouchesNothing) {
    AddFile("a.mp3", 10);
    tracks = {MakeTrack(1, "One")};
    MemoryProcessingLog log;
    ProcessingPipeline pipeline(log);
    pipeline.SetLists(files, tracks, {0}, {0}, mp3);
    pipeline.SetOptions({true, false, false});
    pipeline.Start();
    pipeline.RunStep(Step::kMoveTagRename);
    EXPECT_EQ(log.Lines()[1], "Moving Files...");
    EXPECT_EQ(log.Lines()[2], "No album directory to move the files into.");
    EXPECT_EQ(pipeline.FailureCount(), 1);
    EXPECT_EQ(FakeMp3Marker(dir.File("a.mp3")), "a.mp3");
    EXPECT_TRUE(mp3.opened.empty());
}

TEST_F(PipelineTest, UnreadableMp3IsRenamedButReportedAsFailure) {
    AddFile("a.mp3", 10);
    files.push_back(files.back());
    files.back().fileName = "broken.mp3";
    files.back().filePath = dir.File("broken.mp3");
    WriteFileBytes(dir.File("broken.mp3"), "garbage");
    tracks = {MakeTrack(1, "One"), MakeTrack(2, "Two")};
    const auto lines = Run({false, false, false});
    EXPECT_EQ(Body(lines), (std::vector<std::string>{
                               "Renaming and ID3Tag Files...",
                               "Cannot read \"broken.mp3\" as an MP3 file: its tag is not written.",
                               "1 of 2 files failed."}));
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(FileText(dir.File("02 - Two.mp3")), "garbage");
}

// More files than tracks, or a row without its record: those files stay
// where and as they are, and the log says so.
TEST_F(PipelineTest, ExtraFilesAndRowsWithoutRecordAreSkippedAndLeftInPlace) {
    AddFile("a.mp3", 10);
    AddFile("b.mp3", 20);
    AddFile("c.mp3", 30);
    tracks = {MakeTrack(1, "One")};
    const auto lines = Run({true, true, false}, {0, 1, 2, 7}, {0});
    EXPECT_EQ(Body(lines),
              (std::vector<std::string>{
                  "Creating New Directory... Done.", "Moving Files...",
                  "Skipped \"b.mp3\": no album track for this file.",
                  "Skipped \"c.mp3\": no album track for this file.",
                  "Skipped row 4: no file record for this row.", "3 of 4 files skipped.",
                  "Renaming and ID3Tag Files... Done.", "Creating Playlist... Done."}));
    EXPECT_EQ(skipped, 3);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(FakeMp3Marker(dir.File("b.mp3")), "b.mp3");
    EXPECT_EQ(FakeMp3Marker(dir.File("c.mp3")), "c.mp3");
    FakeTag tag;
    EXPECT_FALSE(ReadFakeTag(dir.File("b.mp3"), tag));
    EXPECT_EQ(FileText(AlbumDir() + "/Artist - Album.m3u"),
              "#EXTM3U\r\n#EXTINF:10,One\r\n01 - One.mp3\r\n");
}

TEST_F(PipelineTest, RowsPairByViewOrderAndPlaylistFollowsTrackOrder) {
    AddFile("x.mp3", 100);
    AddFile("y.mp3", 200);
    tracks = {MakeTrack(1, "One"), MakeTrack(2, "Two")};
    // The file view is sorted the other way round; row 0 shows y.mp3 beside
    // track 1.
    Run({false, true, false}, {1, 0}, {0, 1});
    EXPECT_EQ(FakeMp3Marker(dir.File("01 - One.mp3")), "y.mp3");
    EXPECT_EQ(FakeMp3Marker(dir.File("02 - Two.mp3")), "x.mp3");
    EXPECT_EQ(FileText(dir.File("Artist - Album.m3u")),
              "#EXTM3U\r\n#EXTINF:200,One\r\n01 - One.mp3\r\n#EXTINF:100,Two\r\n02 - Two.mp3\r\n");
}

TEST_F(PipelineTest, RerunOnRenamedFilesKeepsNamesAndSwapsWhenPairedCrosswise) {
    AddFile("01 - One.mp3", 10);
    AddFile("02 - Two.mp3", 20);
    tracks = {MakeTrack(1, "One"), MakeTrack(2, "Two")};
    auto lines = Run({false, false, false});
    EXPECT_EQ(Body(lines), (std::vector<std::string>{"Renaming and ID3Tag Files... Done."}));
    lines = Run({false, false, false}, {0, 1}, {1, 0});
    EXPECT_EQ(Body(lines), (std::vector<std::string>{"Renaming and ID3Tag Files... Done."}));
    EXPECT_EQ(FakeMp3Marker(dir.File("02 - Two.mp3")), "01 - One.mp3");
    EXPECT_EQ(FakeMp3Marker(dir.File("01 - One.mp3")), "02 - Two.mp3");
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"01 - One.mp3", "02 - Two.mp3"}));
}

TEST_F(PipelineTest, NamesThatAreNotUtf8SurviveByteForByte) {
    AddFile("caf\xe9.mp3", 10);
    tracks = {MakeTrack(1, "One"), MakeTrack(2, "Two")};
    tracks[0].fileName = "01 - d\xe9j\xe0.mp3";
    AddFile("\xff\xfe.mp3", 20);
    WriteFileBytes(dir.File(tracks[1].fileName), "in the way");
    const auto lines = Run({false, true, false});
    EXPECT_EQ(FakeMp3Marker(dir.File("01 - d\xe9j\xe0.mp3")), "caf\xe9.mp3");
    EXPECT_EQ(FakeMp3Marker(dir.File("\xff\xfe.mp3")), "\xff\xfe.mp3");
    EXPECT_EQ(lines[2], "Cannot rename \"\xff\xfe.mp3\" to \"02 - Two.mp3\": File exists");
    EXPECT_EQ(
        FileText(dir.File("Artist - Album.m3u")),
        "#EXTM3U\r\n#EXTINF:10,One\r\n01 - d\xe9j\xe0.mp3\r\n#EXTINF:20,Two\r\n\xff\xfe.mp3\r\n");
}

class RecordingDependencyStep : public DependencyStep {
public:
    int Run(const DependencyContext& context, ProcessingLog& log) override {
        seen = context;
        cwd = CurrentDir();
        log.Log("Checking For Dependencies...");
        log.Log(kDoneText);
        return 0;
    }
    DependencyContext seen;
    std::string cwd;
};

TEST_F(PipelineTest, DependencyStepRunsLastWithTheAlbumDirectory) {
    AddFile("a.mp3", 10);
    tracks = {MakeTrack(1, "One")};
    RecordingDependencyStep step;
    MemoryProcessingLog log;
    ProcessingPipeline pipeline(log);
    pipeline.SetLists(files, tracks, {0}, {0}, mp3);
    pipeline.SetOptions({true, false, true});
    pipeline.SetDependencyOptions("ARTIST ALBUM", true);
    pipeline.SetDependencyStep(&step);
    pipeline.RunAll();
    EXPECT_EQ(log.Lines()[log.Lines().size() - 2], "Checking For Dependencies... Done.");
    EXPECT_EQ(step.seen.dirName, "Artist - Album");
    EXPECT_EQ(step.seen.albumFolder, dir.path() + "/");
    EXPECT_TRUE(step.seen.albumDirEntered);
    EXPECT_TRUE(step.seen.confirmDependencies);
    EXPECT_EQ(step.seen.searchWords, "ARTIST ALBUM");
    EXPECT_EQ(step.seen.firstTrack.title, "One");
    EXPECT_EQ(fs::path(step.cwd), fs::canonical(AlbumDir()));
}

}  // namespace
}  // namespace corvane::test
