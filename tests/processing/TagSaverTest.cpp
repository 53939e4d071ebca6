#include "processing/TagSaver.h"

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

TEST_F(TagSaverTest, WritesTypedFieldsWithTheFilesTitleAndTrackNumber) {
    const TagSaveResult result = SaveTagOfSelectedFile(files, 1, fields, mp3);
    EXPECT_EQ(result.outcome, TagSaveOutcome::kSaved);
    EXPECT_EQ(TagSaveStatusText(result, files), "ID3 information saved.");
    FakeTag tag;
    ASSERT_TRUE(ReadFakeTag(dir.File("b.mp3"), tag));
    EXPECT_EQ(tag,
              (FakeTag{"Song", "New Artist", "New Album", "2001", "note", "7", "Made Up Genre"}));
    EXPECT_FALSE(ReadFakeTag(dir.File("a.mp3"), tag));
    EXPECT_EQ(files[1].artist, "New Artist");
    EXPECT_EQ(files[1].track, "Track 07");
    EXPECT_EQ(mp3.opened, (std::vector<std::string>{dir.File("b.mp3")}));
}

TEST_F(TagSaverTest, ReadOnlyFileIsTaggedAndStaysReadOnly) {
    ASSERT_EQ(::chmod(dir.File("a.mp3").c_str(), 0444), 0);
    EXPECT_EQ(SaveTagOfSelectedFile(files, 0, fields, mp3).outcome, TagSaveOutcome::kSaved);
    FakeTag tag;
    EXPECT_TRUE(ReadFakeTag(dir.File("a.mp3"), tag));
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("a.mp3").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(TagSaverTest, DamagedFileKeepsTypedValuesInTheRecordOnly) {
    WriteFileBytes(dir.File("a.mp3"), "damaged");
    ASSERT_EQ(::chmod(dir.File("a.mp3").c_str(), 0444), 0);
    const TagSaveResult result = SaveTagOfSelectedFile(files, 0, fields, mp3);
    EXPECT_EQ(result.outcome, TagSaveOutcome::kOpenFailed);
    EXPECT_EQ(files[0].genre, "Made Up Genre");
    EXPECT_EQ(FileText(dir.File("a.mp3")), "damaged");
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("a.mp3").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(TagSaveStatusText(result, files),
              "Cannot read \"a.mp3\" as an MP3 file: ID3 information not saved.");
}

TEST_F(TagSaverTest, NoSelectionOrUnknownRowTouchesNothing) {
    EXPECT_EQ(SaveTagOfSelectedFile(files, -1, fields, mp3).outcome, TagSaveOutcome::kNoSelection);
    EXPECT_EQ(SaveTagOfSelectedFile(files, 2, fields, mp3).outcome, TagSaveOutcome::kNoRecord);
    EXPECT_TRUE(mp3.opened.empty());
    EXPECT_EQ(files[0].artist, "");
}

TEST(TrackNumberTextTest, DisplayTextBecomesTheNumber) {
    EXPECT_EQ(TrackNumberText("Track 12"), "12");
    EXPECT_EQ(TrackNumberText("Track 00"), "0");
    EXPECT_EQ(TrackNumberText(" - "), "");
    EXPECT_EQ(TrackNumberText("3"), "3");
}

}  // namespace
}  // namespace corvane::test
