// The processing with the real MP3 component on lame-made files; the tags are
// read back with TagLib itself.
#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>
#include <filesystem>

#include "components/ComponentLoader.h"
#include "platform/FileSystem.h"
#include "processing/AlbumFixture.h"
#include "processing/ProcessingPipeline.h"
#include "processing/RunRecovery.h"
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

TEST_F(RealComponentTest, AlbumLandsTaggedAndListed) {
    TrackList files = {
        LameFile("zz scrambled.mp3", 44100L * 3, {"-b", "128", "--tt", "Old Title", "--add-id3v2"}),
        LameFile("aa scrambled.mp3", 44100L * 2)};
    TrackList tracks = {MakeTrack(1, "Erste"), MakeTrack(2, "Zwölf Brücken")};
    tracks[1].comment = "remaster";
    const auto before = FolderContents(dir.path());
    MemoryProcessingLog log;
    ProcessingPipeline pipeline(log);
    pipeline.SetLists(files, tracks, {1, 0}, {0, 1}, *mp3);
    pipeline.SetOptions({true, true, false});
    pipeline.RunAll();
    ASSERT_EQ(pipeline.FailureCount(), 0);

    const std::string album = dir.File("Artist - Album");
    EXPECT_EQ(TagLine(album + "/02 - Zwölf Brücken.mp3"),
              "Zwölf Brücken|Artist|Album|remaster|Rock|1999|2");
    // Row 0 showed "aa scrambled.mp3", 2 seconds long, beside track 1.
    EXPECT_EQ(TagLine(album + "/01 - Erste.mp3"), "Erste|Artist|Album||Rock|1999|1");
    EXPECT_EQ(
        TagLib::FileRef((album + "/01 - Erste.mp3").c_str()).audioProperties()->lengthInSeconds(),
        2);

    EXPECT_EQ(FileText(album + "/Artist - Album.m3u"),
              "#EXTM3U\r\n#EXTINF:2,Erste\r\n01 - Erste.mp3\r\n"
              "#EXTINF:3,Zwölf Brücken\r\n02 - Zwölf Brücken.mp3\r\n");

    // Undone, every byte is as it was, the old tags included.
    EXPECT_EQ(UndoRun(dir.path(), log), 0);
    EXPECT_TRUE(FolderContents(dir.path()) == before);
}

TEST_F(RealComponentTest, SavedTagKeepsTheTrackNumber) {
    TrackList files = {LameFile("song.mp3", 44100L)};
    files[0].title = "Own Title";
    files[0].track = "Track 05";
    const TagSaveResult result =
        SaveTagOfSelectedFile(files, 0, {"Typed", "Record", "2011", "", "Jazz"}, *mp3);
    ASSERT_EQ(result.outcome, TagSaveOutcome::kSaved) << ErrorText(result.error);
    EXPECT_EQ(TagLine(files[0].filePath), "Own Title|Typed|Record||Jazz|2011|5");
}

// A leading tag whose size covers the audio keeps the audio through the run.
// A comment of MPEG frame headers that would run from the new tag into the
// audio is refused, and the log says why.
TEST_F(RealComponentTest, AudioSurvivesALyingTagSizeAndARefusedWriteIsLogged) {
    TrackList files = {LameFile("lying.mp3", 44100L), LameFile("refused.mp3", 44100L)};
    std::string audio;
    ASSERT_TRUE(ReadFileBytes(files[0].filePath, audio));
    const auto header = [](std::size_t size) {
        std::string h("ID3\3\0\0", 6);
        for (int shift = 21; shift >= 0; shift -= 7) {
            h.push_back(static_cast<char>((size >> shift) & 0x7F));
        }
        return h;
    };
    const std::string v1 = "TAG" + std::string(125, 'v');
    ASSERT_TRUE(WriteFileBytes(files[0].filePath, header(audio.size() + 50) + audio + v1));
    const std::string refused =
        header(1090) + std::string(1090, '\0') + std::string(100, 'j') + audio;
    ASSERT_TRUE(WriteFileBytes(files[1].filePath, refused));
    TrackList tracks = {MakeTrack(1, "One"), MakeTrack(2, "Two")};
    // Frame headers FF FB 90 64 as Latin-1 text: two frames and the start of a third.
    const std::string sync =
        "\xC3\xBF\xC3\xBB\xC2\x90"
        "d";
    tracks[1].comment = sync + std::string(413, 'a') + sync + std::string(413, 'a') + sync + "xxxx";
    const PipelineRun run = RunPipeline(files, tracks, {false, false, false}, *mp3);

    std::string after;
    ASSERT_TRUE(ReadFileBytes(dir.File("01 - One.mp3"), after));
    EXPECT_EQ(after.substr(after.size() - 128 - audio.size(), audio.size()), audio);
    EXPECT_TRUE(FileText(dir.File("02 - Two.mp3")) == refused);
    EXPECT_EQ(run.failures, 1);
    EXPECT_NE(std::find(run.lines.begin(), run.lines.end(),
                        "Cannot write the tag of \"refused.mp3\": the first or last audio frame "
                        "would move, so the file is left as it was"),
              run.lines.end())
        << ::testing::PrintToString(run.lines);
}

}  // namespace
}  // namespace corvane::test
