#include "processing/TagSaver.h"

#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "processing/AlbumFixture.h"
#include "support/FakeMp3Info.h"
#include "support/TestSupport.h"

namespace corvane::test {
namespace {

class TagSaverTest : public ::testing::Test {
protected:
    void SetUp() override {
        files.push_back(MakeFile(dir.path(), "a.mp3", 10));
        files.push_back(MakeFile(dir.path(), "b.mp3", 20));
        files[1].title = "Song";
        files[1].track = "Track 07";
    }

    TempDir dir;
    FakeMp3Info mp3;
    TrackList files;
    const TagFields fields{"New Artist", "New Album", "2001", "note", "Made Up Genre"};
};

// Also into a read-only file, which stays read-only.
TEST_F(TagSaverTest, WritesTypedFieldsWithTheFilesTitleAndTrackNumber) {
    ASSERT_EQ(::chmod(dir.File("b.mp3").c_str(), 0444), 0);
    const TagSaveResult result = SaveTagOfSelectedFile(files, 1, fields, mp3);
    EXPECT_EQ(TagSaveStatusText(result, files), "ID3 information saved in \"b.mp3\".");
    FakeTag tag;
    ASSERT_TRUE(ReadFakeTag(dir.File("b.mp3"), tag));
    EXPECT_EQ(tag,
              (FakeTag{"Song", "New Artist", "New Album", "2001", "note", "7", "Made Up Genre"}));
    EXPECT_FALSE(ReadFakeTag(dir.File("a.mp3"), tag));
    EXPECT_EQ(files[1].artist, "New Artist");
    EXPECT_EQ(files[1].track, "Track 07");
    EXPECT_TRUE(IsReadOnly(dir.File("b.mp3")));
    // The track text is for display; the tag gets the number.
    EXPECT_EQ(TrackNumberText("Track 00") + TrackNumberText(" - ") + TrackNumberText("3"), "03");
}

// Several files: the fields left empty keep each file's own value; a damaged
// file is counted out.
TEST_F(TagSaverTest, SeveralFilesGetTheFilledFieldsAndKeepTheirOwn) {
    files[0].album = "A's album";
    files[1].album = "B's album";
    files.push_back(MakeFile(dir.path(), "c.mp3", 30));
    WriteFileBytes(dir.File("c.mp3"), "damaged");
    const std::vector<TagSaveResult> results =
        SaveTagOfFiles(files, {0, 1, 2}, {"Band", "", "", "", ""}, mp3);
    EXPECT_EQ(TagSaveCountText(results), "ID3 information saved in 2 of 3 files.");
    FakeTag tag;
    ASSERT_TRUE(ReadFakeTag(dir.File("a.mp3"), tag));
    EXPECT_EQ(tag, (FakeTag{"", "Band", "A's album", "", "", "", ""}));
    ASSERT_TRUE(ReadFakeTag(dir.File("b.mp3"), tag));
    EXPECT_EQ(tag, (FakeTag{"Song", "Band", "B's album", "", "", "7", ""}));
    EXPECT_EQ(FileText(dir.File("c.mp3")), "damaged");
}

TEST_F(TagSaverTest, ADamagedFileOrNoRowTouchesNoFile) {
    WriteFileBytes(dir.File("a.mp3"), "damaged");
    const TagSaveResult result = SaveTagOfSelectedFile(files, 0, fields, mp3);
    EXPECT_EQ(TagSaveStatusText(result, files),
              "Cannot read \"a.mp3\" as an MP3 file: ID3 information not saved.");
    // The record keeps the typed values.
    EXPECT_EQ(files[0].genre, "Made Up Genre");
    EXPECT_EQ(FileText(dir.File("a.mp3")), "damaged");
    EXPECT_EQ(SaveTagOfSelectedFile(files, -1, fields, mp3).outcome, TagSaveOutcome::kNoSelection);
    EXPECT_EQ(SaveTagOfSelectedFile(files, 2, fields, mp3).outcome, TagSaveOutcome::kNoRecord);
    EXPECT_TRUE(mp3.written.empty());
}

}  // namespace
}  // namespace corvane::test
