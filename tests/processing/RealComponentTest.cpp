// The real MP3 component on a lame-made file where the fake one could hide a
// fault (the whole album's road is the CLI and window tests', the tag writes
// the component's own tests').
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "components/ComponentLoader.h"
#include "processing/AlbumFixture.h"
#include "support/TestSupport.h"

namespace corvane::test {
namespace {

// A comment of MPEG frame headers that would run from the new tag into the
// audio is refused, and the log says why.
TEST(RealComponentTest, ARefusedTagWriteIsLoggedAndLeavesTheFile) {
    if (!std::filesystem::exists(BinDir() + "/Mp3Info.so") || !HaveProgram("lame")) {
        GTEST_SKIP() << "Mp3Info.so is not built or lame is not installed";
    }
    ComponentLoader loader(BinDir());
    const Mp3InfoPtr mp3 = loader.LoadMp3Info();
    ASSERT_TRUE(mp3) << loader.Error() << " " << loader.Detail();
    CurrentDirGuard cwd;
    TempDir dir;
    TrackList files = {MakeFile(dir.path(), "refused.mp3", 1)};
    const std::string audio = FileText(MakeMp3(dir.path(), "refused.mp3", 44100L, {"-b", "128"}));
    // A leading tag of 1090 bytes (syncsafe 8 * 128 + 66), then junk.
    const std::string refused = std::string("ID3\3\0\0\0\0\x08\x42", 10) + std::string(1090, '\0') +
                                std::string(100, 'j') + audio;
    ASSERT_TRUE(WriteFileBytes(files[0].filePath, refused));
    TrackList tracks = {MakeTrack(1, "One")};
    // Frame headers FF FB 90 64 as Latin-1 text: two frames and the start of a third.
    const std::string sync =
        "\xC3\xBF\xC3\xBB\xC2\x90"
        "d";
    tracks[0].comment = sync + std::string(413, 'a') + sync + std::string(413, 'a') + sync + "xxxx";
    const PipelineRun run = RunPipeline(files, tracks, {false, false, false}, *mp3);
    EXPECT_TRUE(FileText(dir.File("01 - One.mp3")) == refused);
    EXPECT_EQ(run.failures, 1);
    EXPECT_NE(std::find(run.lines.begin(), run.lines.end(),
                        "Cannot write the tag of \"refused.mp3\": the first or last audio frame "
                        "would move, so the file is left as it was"),
              run.lines.end())
        << ::testing::PrintToString(run.lines);
}

}  // namespace
}  // namespace corvane::test
