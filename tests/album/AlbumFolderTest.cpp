#include "album/AlbumFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "album/FakeMp3Info.h"
#include "album/TrackListColumns.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

// Each test scans inside its own temporary folder and gets the previous
// current directory back afterwards.
class AlbumFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.path().empty());
        previous_ = std::filesystem::current_path();
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    void Touch(const std::string& name) { ASSERT_TRUE(test::WriteFileBytes(dir_.File(name), "x")); }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const TrackInfo& record : album_.files) {
            names.push_back(record.fileName);
        }
        return names;
    }

    test::TempDir dir_;
    std::filesystem::path previous_;
    test::FakeMp3Info mp3_;
    AlbumFolder album_;
};

// Only regular files (or links to them) ending in ".mp3" in any case count,
// sorted byte-wise: upper case first, UTF-8 after ASCII.
TEST_F(AlbumFolderTest, TakesMp3FilesInByteOrder) {
    for (const char* name : {"b.mp3", "Z.MP3", "a.Mp3", "\xc3\xa9t\xc3\xa9.mp3", "_x.mp3",
                             "four.mp3x", "five.mp", "mp3", "six.wav", "seven.mp3.txt"}) {
        Touch(name);
    }
    ASSERT_TRUE(std::filesystem::create_directory(dir_.File("folder.mp3")));
    ASSERT_EQ(::symlink("b.mp3", dir_.File("link.mp3").c_str()), 0);
    ASSERT_EQ(::symlink("missing.mp3", dir_.File("broken.mp3").c_str()), 0);
    ASSERT_EQ(::symlink("folder.mp3", dir_.File("dirlink.mp3").c_str()), 0);
    EXPECT_EQ(ScanFolder(album_, dir_.path(), mp3_), 6);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Z.MP3", "_x.mp3", "a.Mp3", "b.mp3", "link.mp3",
                                                 "\xc3\xa9t\xc3\xa9.mp3"}));
}

TEST_F(AlbumFolderTest, ReadsThroughComponentInItsCallOrder) {
    Touch("song.mp3");
    test::FakeFile& file = mp3_.files["song.mp3"];
    file = {true, 192,     7,        224,     224.5,     42,     "MPEG 1 Layer III, 44100 Hz",
            true, "Title", "Artist", "Album", "Comment", "Rock", 1999};
    ASSERT_EQ(ScanFolder(album_, dir_.path(), mp3_), 1);
    EXPECT_EQ(mp3_.calls, (std::vector<std::string>{
                              "Open", "GetBitrate", "GetTrack", "GetPlaySeconds", "GetPlayTime",
                              "GetAuxValue", "GetFileType", "HasTag", "GetTitle", "GetArtist",
                              "GetAlbum", "GetYear", "GetGenre", "GetComment"}));
    const TrackInfo& r = album_.files[0];
    EXPECT_EQ(r.filePath, dir_.path() + "/song.mp3");
    EXPECT_EQ(r.bitrate, 192);
    EXPECT_EQ(r.track, "Track 07");
    EXPECT_EQ(r.playSeconds, 224u);
    EXPECT_DOUBLE_EQ(r.playTime, 224.5);
    EXPECT_EQ(r.auxValue, 42);
    EXPECT_EQ(r.fileType, "MPEG 1 Layer III, 44100 Hz");
    EXPECT_EQ(r.title, "Title");
    EXPECT_EQ(r.artist, "Artist");
    EXPECT_EQ(r.album, "Album");
    EXPECT_EQ(r.year, "1999");
    EXPECT_EQ(r.genre, "Rock");
    EXPECT_EQ(r.comment, "Comment");
    EXPECT_EQ(r.status, FileStatus::kRead);
}

// A file without tag shows "Ok" and empty tag columns; files the component
// cannot open stay listed as "Damaged"; a non-UTF-8 name keeps its bytes.
TEST_F(AlbumFolderTest, UntaggedDamagedAndNonUtf8Files) {
    const std::string latin1 = "Caf\xe9 \xff.mp3";
    for (const std::string& name : {latin1, std::string("bad.mp3"), std::string("unknown.mp3")}) {
        Touch(name);
    }
    mp3_.files[latin1].title = "must not be asked for";
    mp3_.files[latin1].year = 2001;
    mp3_.files["bad.mp3"].opens = false;  // "unknown.mp3" is not in the fake's table either
    ASSERT_EQ(ScanFolder(album_, dir_.path(), mp3_), 3);

    const TrackInfo& plain = album_.files[0];
    EXPECT_EQ(plain.fileName, latin1);
    EXPECT_EQ(plain.filePath, dir_.path() + "/" + latin1);
    EXPECT_EQ(mp3_.openedPaths.front(), plain.filePath);
    EXPECT_TRUE(std::filesystem::exists(plain.filePath));
    EXPECT_EQ(FileListColumnText(plain, 10), "Ok");
    EXPECT_EQ(FileListColumnText(plain, 2), " - ");
    for (int column : {3, 4, 5, 6, 7, 8}) {
        EXPECT_EQ(FileListColumnText(plain, column), "") << column;
    }
    for (std::size_t i : {1, 2}) {
        const TrackInfo& r = album_.files[i];
        EXPECT_EQ(r.status, FileStatus::kDamaged);
        EXPECT_EQ(FileListColumnText(r, 1), "00:00:00");
        EXPECT_EQ(FileListColumnText(r, 9), "0 Kbps");
        EXPECT_EQ(FileListColumnText(r, 10), "Damaged");
        EXPECT_EQ(FileListColumnText(r, 11), "?");
    }
}

TEST_F(AlbumFolderTest, TrackYearAndTextConversions) {
    mp3_.files["x.mp3"].hasTag = true;
    mp3_.files["x.mp3"].title = std::string("Title\0junk", 10);
    const struct {
        int track, year;
        const char *trackText, *yearText;
    } cases[] = {{-1, 0, " - ", ""},
                 {0, -3, "Track 00", ""},
                 {9, 1999, "Track 09", "1999"},
                 {10, 1, "Track 10", "1"},
                 {123, 1999, "Track 123", "1999"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.track);
        TrackInfo record;
        record.filePath = "x.mp3";
        mp3_.files["x.mp3"].track = c.track;
        mp3_.files["x.mp3"].year = c.year;
        ASSERT_TRUE(ReadTrackInfo(record, mp3_));
        EXPECT_EQ(record.track, c.trackText);
        EXPECT_EQ(record.year, c.yearText);
        EXPECT_EQ(record.title, "Title");  // kept up to its first NUL
    }
}

TEST_F(AlbumFolderTest, FailedOpenLeavesRecordUnchanged) {
    TrackInfo record;
    record.filePath = "gone.mp3";
    record.title = "kept";
    record.auxValue = 5;
    EXPECT_FALSE(ReadTrackInfo(record, mp3_));
    EXPECT_EQ(record.title, "kept");
    EXPECT_EQ(record.auxValue, 5);
    EXPECT_EQ(record.status, FileStatus::kCleared);
}

TEST_F(AlbumFolderTest, ScanEntersFolderAndReplacesBothLists) {
    album_.tracks.resize(3);
    album_.files.resize(2);
    Touch("notes.txt");
    EXPECT_EQ(ScanFolder(album_, dir_.path(), mp3_), 0);
    EXPECT_TRUE(album_.files.empty());
    EXPECT_TRUE(album_.tracks.empty());

    album_.tracks.resize(3);
    Touch("a.mp3");
    ASSERT_EQ(ScanFolder(album_, dir_.path() + "/", mp3_), 1);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(dir_.path()));
    EXPECT_EQ(album_.folder, dir_.path());
    EXPECT_TRUE(album_.tracks.empty());
    EXPECT_EQ(album_.files.size(), 1u);
}

TEST_F(AlbumFolderTest, RelativePathGivesAbsoluteFilePaths) {
    ASSERT_TRUE(std::filesystem::create_directory(dir_.File("sub")));
    Touch("sub/a.mp3");
    std::filesystem::current_path(dir_.path());
    ASSERT_EQ(ScanFolder(album_, "sub", mp3_), 1);
    EXPECT_EQ(album_.folder, dir_.path() + "/sub");
    EXPECT_EQ(album_.files[0].filePath, dir_.path() + "/sub/a.mp3");
}

TEST_F(AlbumFolderTest, FolderThatCannotBeEnteredLeavesEverythingAsItWas) {
    Touch("a.mp3");
    ASSERT_EQ(ScanFolder(album_, dir_.path(), mp3_), 1);
    album_.tracks.resize(1);
    const auto cwd = std::filesystem::current_path();
    for (const std::string& path : {dir_.File("missing"), dir_.File("a.mp3"), std::string()}) {
        EXPECT_EQ(ScanFolder(album_, path, mp3_), -1) << path;
        EXPECT_EQ(album_.files.size(), 1u);
        EXPECT_EQ(album_.tracks.size(), 1u);
        EXPECT_EQ(album_.folder, dir_.path());
        EXPECT_EQ(std::filesystem::current_path(), cwd);
    }
    if (::geteuid() != 0) {  // root enters any folder
        ASSERT_TRUE(std::filesystem::create_directory(dir_.File("locked")));
        ::chmod(dir_.File("locked").c_str(), 0);
        EXPECT_EQ(ScanFolder(album_, dir_.File("locked"), mp3_), -1);
        EXPECT_EQ(album_.files.size(), 1u);
    }
}

// The middle field counts all minutes, not those within the hour.
TEST(FormatPlayTime, HoursTotalMinutesAndSeconds) {
    EXPECT_EQ(FormatPlayTime(0u), "00:00:00");
    EXPECT_EQ(FormatPlayTime(599u), "00:09:59");
    EXPECT_EQ(FormatPlayTime(3725u), "01:62:05");
    EXPECT_EQ(FormatPlayTime(360000u), "100:6000:00");
}

TEST(FindFileRecord, MatchesTheNameExactly) {
    TrackList files(3);
    files[0].fileName = "a.mp3";
    files[1].fileName = "B.mp3";
    files[2].fileName = "b.mp3";
    EXPECT_EQ(FindFileRecord(files, "b.mp3"), &files[2]);
    EXPECT_EQ(FindFileRecord(files, "B.mp3"), &files[1]);
    EXPECT_EQ(FindFileRecord(files, "A.mp3"), nullptr);
}

// Every field in its own column; the two views order artist and album
// differently.
TEST(TrackListColumns, FileAndDatabaseCells) {
    TrackInfo r;
    r.fileName = "01 - Song.mp3";
    r.playSeconds = 3725;
    r.track = "Track 01";
    r.title = "Song";
    r.album = "Album";
    r.artist = "Artist";
    r.year = "1999";
    r.genre = "Rock";
    r.comment = "c";
    r.bitrate = 320;
    r.status = FileStatus::kRead;
    r.fileType = "MPEG";
    const std::vector<std::string> cells{
        "01 - Song.mp3", "01:62:05", "Track 01", "Song",     "Album", "Artist",
        "1999",          "Rock",     "c",        "320 Kbps", "Ok",    "MPEG"};
    for (int column = -1; column <= kFileListColumnCount; ++column) {
        const bool inRange = column >= 0 && column < kFileListColumnCount;
        EXPECT_EQ(FileListColumnText(r, column), inRange ? cells[column] : "") << column;
    }
    const std::vector<std::string> dbCells{"01 - Song.mp3", "Track 01", "Song", "Artist",
                                           "Album",         "1999",     "Rock"};
    for (int column = 0; column <= kDatabaseListColumnCount; ++column) {
        const bool inRange = column < kDatabaseListColumnCount;
        EXPECT_EQ(DatabaseListColumnText(r, column), inRange ? dbCells[column] : "") << column;
    }
    EXPECT_EQ(StructureText(FileStatus::kCleared), "?");
}

// The flags hide the optional columns only; the file name and file type
// columns always show.
TEST(TrackListColumns, HiddenColumnsGetWidthZero) {
    std::array<int, 10> fileFlags{};
    fileFlags[0] = 1;  // only "Playtime"
    EXPECT_EQ(FileListColumnWidth(0, fileFlags), kFileListColumns[0].width);
    EXPECT_EQ(FileListColumnWidth(1, fileFlags), kFileListColumns[1].width);
    for (int column = 2; column <= 10; ++column) {
        EXPECT_EQ(FileListColumnWidth(column, fileFlags), 0) << column;
    }
    EXPECT_EQ(FileListColumnWidth(11, fileFlags), kFileListColumns[11].width);
    EXPECT_EQ(FileListColumnWidth(12, fileFlags), 0);
    std::array<int, 6> dbFlags{1, 1, 1, 1, 1, 0};
    EXPECT_EQ(DatabaseListColumnWidth(0, dbFlags), kDatabaseListColumns[0].width);
    EXPECT_EQ(DatabaseListColumnWidth(5, dbFlags), kDatabaseListColumns[5].width);
    EXPECT_EQ(DatabaseListColumnWidth(6, dbFlags), 0);
    EXPECT_EQ(VisibleDatabaseRows(12, 10), 10u);
    EXPECT_EQ(VisibleDatabaseRows(10, 12), 10u);
}

}  // namespace
}  // namespace corvane
