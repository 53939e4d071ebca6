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
    EXPECT_EQ(TagSaveStatusText(result, files), "ID3 information saved.");
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
