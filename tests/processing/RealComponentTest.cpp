// The real MP3 component on lame-made files where the fake one could hide a
// fault (the whole album's road is the CLI and window tests'); the tags are
// read back with TagLib itself.
#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>
#include <filesystem>

#include "components/ComponentLoader.h"
#include "platform/FileSystem.h"
#include "processing/AlbumFixture.h"
#include "processing/TagSaver.h"
#include "support/TestSupport.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// A file's tag as TagLib reads it: title|artist|album|comment|genre|year|track.
std::string TagLine(const std::string& path) {
    TagLib::FileRef ref(path.c_str());
    if (ref.isNull()) {
        return "(not read)";
    }
    const TagLib::Tag& t = *ref.tag();
    return t.title().to8Bit(true) + "|" + t.artist().to8Bit(true) + "|" + t.album().to8Bit(true) +
           "|" + t.comment().to8Bit(true) + "|" + t.genre().to8Bit(true) + "|" +
           std::to_string(t.year()) + "|" + std::to_string(t.track());
}

class RealComponentTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string binDir = BinDir();
        if (!fs::exists(binDir + "/Mp3Info.so")) {
            GTEST_SKIP() << "Mp3Info.so is not built; the real component is not tried";
        }
        if (!HaveProgram("lame")) {
            GTEST_SKIP() << "lame is not installed";
        }
        loader = std::make_unique<ComponentLoader>(binDir);
        mp3 = loader->LoadMp3Info();
        ASSERT_TRUE(mp3) << loader->Error() << " " << loader->Detail();
    }

    TrackInfo LameFile(const std::string& name, long samples,
                       std::vector<std::string> lameArgs = {"-b", "128"}) {
        TrackInfo file;
        file.fileName = name;
        file.filePath = MakeMp3(dir.path(), name, samples, lameArgs);
        EXPECT_FALSE(file.filePath.empty());
        EXPECT_EQ(mp3->Open(file.filePath), 0);
        file.playSeconds = mp3->GetPlaySeconds();
        return file;
    }

    CurrentDirGuard cwd;
    TempDir dir;
    std::unique_ptr<ComponentLoader> loader;
    Mp3InfoPtr mp3;
};

TEST_F(RealComponentTest, SavedTagKeepsTheTrackNumber) {
    TrackList files = {LameFile("song.mp3", 44100L)};
    files[0].title = "Own Title";
    files[0].track = "Track 05";
    const TagSaveResult result =
        SaveTagOfSelectedFile(files, 0, {"Typed", "Record", "2011", "", "Jazz"}, *mp3);
    ASSERT_EQ(result.outcome, TagSaveOutcome::kSaved) << ErrorText(result.error);
    EXPECT_EQ(TagLine(files[0].filePath), "Own Title|Typed|Record||Jazz|2011|5");
}

// A comment of MPEG frame headers that would run from the new tag into the
// audio is refused, and the log says why. (The component's own tests try tag
// writes behind leading tags whose size lies.)
TEST_F(RealComponentTest, ARefusedTagWriteIsLoggedAndLeavesTheFile) {
    TrackList files = {LameFile("refused.mp3", 44100L)};
    std::string audio;
    ASSERT_TRUE(ReadFileBytes(files[0].filePath, audio));
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
