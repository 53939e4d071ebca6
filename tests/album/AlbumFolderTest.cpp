#include "album/AlbumFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "album/TrackListColumns.h"
#include "support/FakeMp3Info.h"
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

    // A file the fake component opens, or one it cannot read as MP3.
    void Touch(const std::string& name, bool mp3 = true) {
        ASSERT_TRUE(test::WriteFileBytes(dir_.File(name), mp3 ? "MP3" : "x"));
    }

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

TEST_F(AlbumFolderTest, ReadsEveryFieldThroughTheComponent) {
    Touch("song.mp3");
    mp3_.files["song.mp3"] = {192,  7,       224,      224.5,   42,        "MPEG 1 Layer III",
                              true, "Title", "Artist", "Album", "Comment", "Rock",
                              1999};
    ASSERT_EQ(ScanFolder(album_, dir_.path(), mp3_), 1);
    const TrackInfo expected{"song.mp3",
                             dir_.File("song.mp3"),
                             "Artist",
                             "Album",
                             "Title",
                             "1999",
                             "Rock",
                             "Comment",
                             "Track 07",
                             224,
                             224.5,
                             192,
                             "MPEG 1 Layer III",
                             FileStatus::kRead,
                             42};
    EXPECT_EQ(album_.files[0], expected);
}

// A file without tag shows "Ok" and empty tag columns; files the component
// cannot open stay listed as "Damaged", their records untouched; a name that
// is not UTF-8 keeps its bytes.
TEST_F(AlbumFolderTest, UntaggedDamagedAndNonUtf8Files) {
    const std::string latin1 = "Caf\xe9 \xff.mp3";
    Touch(latin1);
    Touch("bad.mp3", false);
    mp3_.files[latin1].title = "must not be asked for";
    mp3_.files[latin1].playTime = 0.5;
    Touch("silent.mp3");  // opens, but holds no audio
    ASSERT_EQ(ScanFolder(album_, dir_.path(), mp3_), 3);
    EXPECT_EQ(DamagedFileLines(album_.files),
              (std::vector<std::string>{"Damaged: bad.mp3 (no MPEG audio found)",
                                        "Damaged: silent.mp3 (no audio frames)"}));
    EXPECT_EQ(DamagedDiscIdText(album_.files),
              "The DISK ID counts 2 damaged files as tracks of length 0, so it cannot match the "
              "album: repair or remove them for a lookup by DISK ID.");
    EXPECT_EQ(DamagedDiscIdText({album_.files[0]}), "");

    const TrackInfo& plain = album_.files[0];
    EXPECT_EQ(plain.filePath, dir_.path() + "/" + latin1);
    EXPECT_EQ(mp3_.opened.front(), plain.filePath);
    const std::vector<std::string> plainCells{
        latin1, "00:00:00", " - ", "", "", "", "", "", "", "128 Kbps", "Ok", "MPEG 1 Layer 3"};
    const std::vector<std::string> damagedCells{"bad.mp3", "00:00:00", "", "", "", "", "", "", "",
                                                "0 Kbps",  "Damaged",  "?"};
    for (int column = 0; column < kFileListColumnCount; ++column) {
        EXPECT_EQ(FileListColumnText(plain, column), plainCells[column]) << column;
        EXPECT_EQ(FileListColumnText(album_.files[1], column), damagedCells[column]) << column;
    }

    TrackInfo record;
    record.filePath = dir_.File("bad.mp3");
    record.title = "kept";
    record.auxValue = 5;
    const TrackInfo before = record;
    EXPECT_FALSE(ReadTrackInfo(record, mp3_));
    EXPECT_EQ(record.openError, EILSEQ);
    record.openError = 0;
    EXPECT_EQ(record, before);
}

TEST_F(AlbumFolderTest, TrackYearAndTextConversions) {
    Touch("x.mp3");
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
        record.filePath = dir_.File("x.mp3");
        mp3_.files["x.mp3"].track = c.track;
        mp3_.files["x.mp3"].year = c.year;
        ASSERT_TRUE(ReadTrackInfo(record, mp3_));
        EXPECT_EQ(record.track, c.trackText);
        EXPECT_EQ(record.year, c.yearText);
        EXPECT_EQ(record.title, "Title");  // kept up to its first NUL
    }
}

// The scan enters the folder (given relative or with a trailing slash),
// gives absolute paths and empties the track list.
TEST_F(AlbumFolderTest, ScanEntersFolderAndReplacesBothLists) {
    ASSERT_TRUE(std::filesystem::create_directory(dir_.File("sub")));
    album_.tracks.resize(3);
    album_.files.resize(2);
    Touch("sub/a.mp3");
    std::filesystem::current_path(dir_.path());
    ASSERT_EQ(ScanFolder(album_, "sub/", mp3_), 1);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(dir_.File("sub")));
    EXPECT_EQ(album_.folder, dir_.File("sub"));
    EXPECT_EQ(album_.files[0].filePath, dir_.File("sub/a.mp3"));
    EXPECT_TRUE(album_.tracks.empty());
    EXPECT_EQ(ScanFolder(album_, dir_.path(), mp3_), 0);  // sub is no MP3 file
    EXPECT_TRUE(album_.files.empty());
}

TEST_F(AlbumFolderTest, FolderThatCannotBeEnteredLeavesEverythingAsItWas) {
    Touch("a.mp3");
    ASSERT_EQ(ScanFolder(album_, dir_.path(), mp3_), 1);
    album_.tracks.resize(1);
    const AlbumFolder before = album_;
    const auto cwd = std::filesystem::current_path();
    std::vector<std::string> paths{dir_.File("missing"), dir_.File("a.mp3"), ""};
    if (::geteuid() != 0) {  // root enters any folder
        ASSERT_TRUE(std::filesystem::create_directory(dir_.File("locked")));
        ::chmod(dir_.File("locked").c_str(), 0);
        paths.push_back(dir_.File("locked"));
    }
    for (const std::string& path : paths) {
        EXPECT_EQ(ScanFolder(album_, path, mp3_), -1) << path;
        EXPECT_TRUE(album_.files == before.files && album_.tracks == before.tracks &&
                    album_.folder == before.folder && std::filesystem::current_path() == cwd);
    }
}

// The middle field counts all minutes, not those within the hour.
TEST(FormatPlayTime, HoursTotalMinutesAndSeconds) {
    EXPECT_EQ(FormatPlayTime(599u), "00:09:59");
    EXPECT_EQ(FormatPlayTime(3725u), "01:62:05");
    EXPECT_EQ(FormatPlayTime(360000u), "100:6000:00");
}

// The file list's cells are checked by the scan; here the database view, which orders artist
// and album the other way, and hidden columns: width 0, but the file name and file type
// columns always show.
TEST(TrackListColumns, CellsAndHiddenColumns) {
    TrackInfo r;
    r.fileName = "01 - Song.mp3";
    r.track = "Track 01";
    r.title = "Song";
    r.album = "Album";
    r.artist = "Artist";
    r.year = "1999";
    r.genre = "Rock";
    const std::vector<std::string> dbCells{"01 - Song.mp3", "Track 01", "Song", "Artist",
                                           "Album",         "1999",     "Rock"};
    for (int column = 0; column <= kDatabaseListColumnCount; ++column) {
        const bool inRange = column < kDatabaseListColumnCount;
        EXPECT_EQ(DatabaseListColumnText(r, column), inRange ? dbCells[column] : "") << column;
    }

    std::array<bool, 10> onlyPlaytime{};
    onlyPlaytime[0] = true;
    for (int column = 0; column <= kFileListColumnCount; ++column) {
        const bool shown = column <= 1 || column == 11;
        EXPECT_EQ(FileListColumnWidth(column, onlyPlaytime) != 0, shown) << column;
    }
}

}  // namespace
}  // namespace corvane
