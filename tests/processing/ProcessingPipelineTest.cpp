// The processing of small fake albums, case by case: the log, every file
// afterwards, byte for byte, and the undo that puts the folder back as it was.
#include "processing/ProcessingPipeline.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "processing/AlbumFixture.h"
#include "processing/PlaylistWriter.h"
#include "processing/RunRecovery.h"
#include "support/FakeMp3Info.h"
#include "support/TestSupport.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const std::string kDir = "Artist - Album/";
const std::string kDirDone = "Creating New Directory... Done.";
const std::string kMoveDone = "Moving Files... Done.";
const std::string kRenaming = "Renaming and ID3Tag Files...";
const std::string kAllDone = kRenaming + " Done.";
const std::string kListDone = "Creating Playlist... Done.";

struct Case {
    const char* what;
    std::vector<std::string> files;   // fake MP3s 10, 20, 30 s long, the name as marker
    std::vector<std::string> titles;  // album tracks 1, 2, ...: "NN - title.mp3"
    ProcessingOptions options;
    std::map<std::string, std::string> before;  // other files there beforehand
    std::vector<std::string> body;              // the log between its first and last line
    // Every file afterwards: an MP3 as "marker / track title", else its content.
    std::map<std::string, std::string> after;
    int failures = 0;
    std::vector<int> fileRows = {};  // the views' rows; empty: in record order
    std::vector<int> trackRows = {};
    std::vector<std::string> newNames = {};  // instead of "NN - title.mp3"
    std::string artist = "Artist";
    std::string album = "Album";
};

const std::string kLongPlaylist = "Artist - " + std::string(242, 'x') + ".m3u";

const Case kCases[] = {
    {"a full run into an album directory that is there already",
     {"track1.mp3", "track2.mp3"},
     {"Help", ""},
     {true, true, false},
     {{kDir + "cover.jpg", "jpg"}},
     {kDirDone, kMoveDone, kAllDone, kListDone},
     {{kDir + "cover.jpg", "jpg"},
      {kDir + "01 - Help.mp3", "track1.mp3 / 1 Help"},
      {kDir + "02 - .mp3", "track2.mp3 / 2 "},
      {kDir + "Artist - Album.m3u",
       "#EXTM3U\r\n#EXTINF:10,Help\r\n01 - Help.mp3\r\n#EXTINF:20,02 - \r\n02 - .mp3\r\n"}}},
    {"in place, a playlist of the user's stays",
     {"b.mp3"},
     {"One"},
     {false, true, false},
     {{"Artist - Album.m3u", "mine"}},
     {kAllDone, "Creating Playlist...",
      "Cannot write the playlist \"Artist - Album.m3u\": File exists", "Failed."},
     {{"01 - One.mp3", "b.mp3 / 1 One"}, {"Artist - Album.m3u", "mine"}},
     1},
    {"a file in the way of the cleaned directory name stops the move",
     {"a.mp3"},
     {"One"},
     {true, false, false},
     {{"AC_DC - Best_ Vol 1", "not a folder"}},
     {"Creating New Directory...",
      "Cannot create the directory \"AC_DC - Best_ Vol 1\": File exists", "Failed.",
      "Moving Files...", "No album directory to move the files into.", "Failed."},
     {{"a.mp3", "a.mp3"}, {"AC_DC - Best_ Vol 1", "not a folder"}},
     2,
     {},
     {},
     {},
     "AC/DC",
     "Best: Vol 1"},
    {"an unreadable MP3 is renamed untagged",
     {"a.mp3", "broken.mp3"},
     {"One", "Two"},
     {false, false, false},
     {{"broken.mp3", "garbage"}},
     {kRenaming, "Cannot read \"broken.mp3\" as an MP3 file: its tag is not written.",
      "1 of 2 files failed."},
     {{"01 - One.mp3", "a.mp3 / 1 One"}, {"02 - Two.mp3", "garbage"}},
     1},
    {"files without a track and rows without a record stay as they are",
     {"a.mp3", "b.mp3", "c.mp3"},
     {"One"},
     {true, true, false},
     {},
     {kDirDone, "Moving Files...", "Skipped \"b.mp3\": no album track for this file.",
      "Skipped \"c.mp3\": no album track for this file.",
      "Skipped row 4: no file record for this row.", "3 of 4 files skipped.", kAllDone, kListDone},
     {{"b.mp3", "b.mp3"},
      {"c.mp3", "c.mp3"},
      {kDir + "01 - One.mp3", "a.mp3 / 1 One"},
      {kDir + "Artist - Album.m3u", "#EXTM3U\r\n#EXTINF:10,One\r\n01 - One.mp3\r\n"}},
     0,
     {0, 1, 2, 7},
     {0}},
    {"rows pair in view order, the playlist of the longest name lists the album's order",
     {"x.mp3", "y.mp3"},
     {"One", "Two"},
     {false, true, false},
     {},
     {kAllDone, kListDone},
     {{"01 - One.mp3", "y.mp3 / 1 One"},
      {"02 - Two.mp3", "x.mp3 / 2 Two"},
      {kLongPlaylist,
       "#EXTM3U\r\n#EXTINF:20,One\r\n01 - One.mp3\r\n#EXTINF:10,Two\r\n02 - Two.mp3\r\n"}},
     0,
     {1, 0},
     {0, 1},
     {},
     "Artist",
     std::string(260, 'x')},
    {"renamed files paired crosswise swap their names",
     {"01 - One.mp3", "02 - Two.mp3"},
     {"One", "Two"},
     {false, false, false},
     {},
     {kAllDone},
     {{"01 - One.mp3", "02 - Two.mp3 / 1 One"}, {"02 - Two.mp3", "01 - One.mp3 / 2 Two"}},
     0,
     {0, 1},
     {1, 0}},
    {"names that are not UTF-8 survive byte for byte",
     {"caf\xe9.mp3", "\xff\xfe.mp3"},
     {"d\xe9j\xe0", "Two"},
     {false, true, false},
     {{"02 - Two.mp3", "in the way"}},
     {kRenaming, "Cannot rename \"\xff\xfe.mp3\" to \"02 - Two.mp3\": File exists",
      "1 of 2 files failed.", kListDone},
     {{"01 - d\xe9j\xe0.mp3", "caf\xe9.mp3 / 1 d\xe9j\xe0"},
      {"\xff\xfe.mp3", "\xff\xfe.mp3 / 2 Two"},
      {"02 - Two.mp3", "in the way"},
      {"Artist - Album.m3u",
       "#EXTM3U\r\n#EXTINF:10,d\xe9j\xe0\r\n01 - d\xe9j\xe0.mp3\r\n"
       "#EXTINF:20,Two\r\n\xff\xfe.mp3\r\n"}},
     1},
    {"two tracks of one name keep both files",
     {"a.mp3", "b.mp3"},
     {"Same", "Same"},
     {true, true, false},
     {},
     {kDirDone, kMoveDone, kRenaming, "Cannot rename \"b.mp3\" to \"01 - Same.mp3\": File exists",
      "1 of 2 files failed.", kListDone},
     {{kDir + "01 - Same.mp3", "a.mp3 / 1 Same"},
      {kDir + "b.mp3", "b.mp3 / 2 Same"},
      {kDir + "Artist - Album.m3u",
       "#EXTM3U\r\n#EXTINF:10,Same\r\n01 - Same.mp3\r\n#EXTINF:20,Same\r\nb.mp3\r\n"}},
     1,
     {},
     {},
     {"01 - Same.mp3", "01 - Same.mp3"}},
    {"names taken in the album directory are not replaced",
     {"a.mp3", "b.mp3", "c.mp3"},
     {"One", "Two", "Three"},
     {true, true, false},
     {{kDir + "02 - Two.mp3", "someone else's"}, {kDir + "c.mp3", "older c"}},
     {kDirDone, "Moving Files...", "Cannot move \"c.mp3\" into \"Artist - Album\": File exists",
      "1 of 3 files failed.", kRenaming, "Cannot rename \"b.mp3\" to \"02 - Two.mp3\": File exists",
      // The file that stayed behind is not renamed either.
      "2 of 3 files failed.", kListDone},
     {{"c.mp3", "c.mp3"},
      {kDir + "01 - One.mp3", "a.mp3 / 1 One"},
      {kDir + "02 - Two.mp3", "someone else's"},
      {kDir + "b.mp3", "b.mp3 / 2 Two"},
      {kDir + "c.mp3", "older c"},
      {kDir + "Artist - Album.m3u",
       "#EXTM3U\r\n#EXTINF:10,One\r\n01 - One.mp3\r\n#EXTINF:20,Two\r\nb.mp3\r\n"}},
     2},
};

TEST(PipelineTest, EachCaseLogsLandsAndIsUndone) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        CurrentDirGuard cwd;
        TempDir dir;
        TrackList files;
        TrackList tracks;
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            files.push_back(MakeFile(dir.path(), c.files[i], 10 * static_cast<unsigned>(i + 1)));
        }
        for (std::size_t i = 0; i < c.titles.size(); ++i) {
            tracks.push_back(MakeTrack(static_cast<int>(i + 1), c.titles[i], c.artist, c.album));
            if (!c.newNames.empty()) {
                tracks.back().fileName = c.newNames[i];
            }
        }
        for (const auto& [path, content] : c.before) {
            fs::create_directories(fs::path(dir.File(path)).parent_path());
            WriteFileBytes(dir.File(path), content);
        }
        const auto before = FolderContents(dir.path());
        FakeMp3Info mp3;
        const PipelineRun run = RunPipeline(files, tracks, c.options, mp3, c.fileRows, c.trackRows);
        ASSERT_GE(run.lines.size(), 2u);
        EXPECT_TRUE(std::regex_match(
            run.lines.front(), std::regex("Processing Files, started at \\d\\d:\\d\\d:\\d\\d")));
        EXPECT_TRUE(std::regex_match(run.lines.back(),
                                     std::regex("Operation finished at \\d\\d:\\d\\d:\\d\\d")));
        EXPECT_EQ(std::vector<std::string>(run.lines.begin() + 1, run.lines.end() - 1), c.body);
        EXPECT_EQ(run.failures, c.failures);
        EXPECT_EQ(Described(dir.path()), c.after);
        if (!c.options.createDirectory) {
            EXPECT_EQ(fs::path(CurrentDir()), fs::canonical(dir.path()));
        }
        MemoryProcessingLog log;
        EXPECT_EQ(UndoRun(dir.path(), log), 0) << ::testing::PrintToString(log.Lines());
        EXPECT_EQ(FolderContents(dir.path()), before);
    }
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

TEST(PipelineTest, DependencyStepRunsLastWithTheAlbumDirectory) {
    CurrentDirGuard cwd;
    TempDir dir;
    FakeMp3Info mp3;
    RecordingDependencyStep step;
    MemoryProcessingLog log;
    ProcessingPipeline pipeline(log);
    pipeline.SetLists({MakeFile(dir.path(), "a.mp3", 10)}, {MakeTrack(1, "One")}, {0}, {0}, mp3);
    pipeline.SetOptions({true, false, true});
    pipeline.SetDependencyOptions("ARTIST ALBUM", true);
    pipeline.SetDependencyStep(&step);
    pipeline.RunAll();
    EXPECT_EQ(log.Lines()[log.Lines().size() - 2], "Checking For Dependencies... Done.");
    const DependencyContext& seen = step.seen;
    EXPECT_EQ(seen.dirName + "|" + seen.albumFolder + "|" + seen.searchWords + "|" +
                  seen.firstTrack.title,
              "Artist - Album|" + dir.path() + "/|ARTIST ALBUM|One");
    EXPECT_TRUE(seen.albumDirEntered && seen.confirmDependencies);
    // The album directory is the current directory, and stays so.
    EXPECT_EQ(fs::path(step.cwd), fs::canonical(dir.File("Artist - Album")));
    EXPECT_EQ(fs::path(CurrentDir()), fs::canonical(dir.File("Artist - Album")));
}

}  // namespace
}  // namespace corvane::test
