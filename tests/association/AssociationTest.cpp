#include "association/Association.h"

#include <gtest/gtest.h>

#include <random>

#include "association/DisplayLine.h"

namespace corvane {
namespace {

TrackInfo File(const std::string& name, std::uint32_t seconds, const std::string& title = "") {
    TrackInfo file;
    file.fileName = name;
    file.title = title;
    file.playSeconds = seconds;
    return file;
}

TrackInfo Track(const std::string& title, std::uint32_t seconds) {
    TrackInfo track;
    track.title = title;
    track.playSeconds = seconds;
    return track;
}

// The file index standing in each row of the file list, -1 for a blank row.
std::vector<int> Records(const RowList& rows) {
    std::vector<int> records;
    for (const ListRow& row : rows) {
        records.push_back(row.record);
    }
    return records;
}

void ExpectConsistent(const Association& association, const TrackList& files,
                      const TrackList& tracks) {
    const RowList& fileRows = association.FileRows();
    const RowList& titleRows = association.TitleRows();
    ASSERT_EQ(fileRows.size(), titleRows.size());
    std::vector<int> seen(files.size(), 0);
    for (const ListRow& row : fileRows) {
        if (row.record < 0) {
            EXPECT_EQ(row.text, kBlankRowText);
            continue;
        }
        ++seen[static_cast<std::size_t>(row.record)];
        EXPECT_EQ(row.text, FileDisplayLine(files[static_cast<std::size_t>(row.record)]));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(seen[i], 1) << "file " << i;
    }
    for (std::size_t t = 0; t < titleRows.size(); ++t) {
        if (t < tracks.size()) {
            EXPECT_EQ(titleRows[t].record, static_cast<int>(t));
            EXPECT_EQ(titleRows[t].text, TrackDisplayLine(tracks[t]));
        } else {
            EXPECT_EQ(titleRows[t].text, kBlankRowText);
        }
    }
}

// More files than tracks are appended, the titles padded.
TEST(AssociationTest, NumberedFilesPairInTrackOrderWhateverTheirTags) {
    TrackList files;
    TrackList tracks;
    for (int i = 1; i <= 12; ++i) {
        const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        // Tags deliberately name other tracks.
        files.push_back(
            File(number + " Song.mp3", 200 + 30 * i + (i % 19), "Title " + std::to_string(13 - i)));
        if (i <= 10) {
            tracks.push_back(Track("Title " + std::to_string(i), 200 + 30 * i));
        }
    }
    Association association(files, tracks);
    association.AutoAssociate();
    association.AutoAssociate();  // starts afresh
    EXPECT_EQ(Records(association.FileRows()),
              (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    for (std::size_t row = 0; row < tracks.size(); ++row) {
        EXPECT_EQ(association.FileRows()[row].data, ByNumber);
    }
    ExpectConsistent(association, files, tracks);
}

TEST(AssociationTest, FindsFilesByTrackNumber) {
    // For one digit the first file holding it wins, even inside a year.
    const TrackList files = {File("Song 1999.mp3", 280), File("01 - Intro.mp3", 284)};
    EXPECT_EQ(Association(files, {}).FindFileByNumber(284, 1), 0);
    // From ten on the digits must stand together in the raw name, and play
    // times must be within 19 seconds.
    const TrackList named = {File("Song 1 2.mp3", 300), File("track12.mp3", 300),
                             File("x.mp3", 300)};
    const TrackList none;
    Association association(named, none);
    EXPECT_EQ(association.FindFileByNumber(300, 11), -1);
    const std::pair<std::uint32_t, int> lengths[] = {{319, 1}, {320, -1}, {281, 1}, {280, -1}};
    for (auto [seconds, file] : lengths) {
        EXPECT_EQ(association.FindFileByNumber(seconds, 12), file) << seconds;
    }
}

TEST(AssociationTest, TitleMatchNeedsCloseLengthAndAScoreAboveFifty) {
    const TrackList files = {File("a.mp3", 200, "Yesterday"), File("b.mp3", 300)};
    const TrackList tracks = {Track("Yesterday", 211)};
    Association association(files, tracks);
    EXPECT_EQ(association.FindFileByTitle(210, "Yesterday"), 0);
    EXPECT_EQ(association.FindFileByTitle(211, "Yesterday"), -1);
    EXPECT_EQ(association.FindFileByTitle(190, "Yesterday"), 0);
    EXPECT_EQ(association.FindFileByTitle(189, "Yesterday"), -1);
    // Too far for the title, so the play time decides.
    association.AutoAssociate();
    EXPECT_EQ(association.FileRows()[0].record, 0);
    EXPECT_EQ(association.FileRows()[0].data, ByPlayTime);

    const std::string a25(25, 'A');
    const std::string b24(24, 'B');
    const std::string b25(25, 'B');
    const TrackList names = {File(a25 + " x y.mp3", 100)};
    Association scored(names, tracks);
    EXPECT_EQ(scored.FindFileByTitle(100, a25 + " " + b25), -1);  // 25 of 50: 50
    EXPECT_EQ(scored.FindFileByTitle(100, a25 + " " + b24), 0);   // 25 of 49: 51
}

// The best title score wins; the nearest play time wins, the earlier file on ties.
TEST(AssociationTest, BestTitleAndNearestPlayTime) {
    const TrackList titled = {File("Love Me Do.mp3", 140), File("P.S. I Love You.mp3", 135),
                              File("Love Me Do (Take 2).mp3", 141)};
    EXPECT_EQ(Association(titled, {}).FindFileByTitle(140, "P.S. I Love You"), 1);
    EXPECT_EQ(Association(titled, {}).FindFileByTitle(140, "Love Me Do"), 0);
    const TrackList timedFiles = {File("a.mp3", 100), File("b.mp3", 120), File("c.mp3", 140)};
    const TrackList none;
    Association timed(timedFiles, none);
    const std::pair<std::uint32_t, int> nearest[] = {{131, 2}, {130, 1}, {0, 0}, {100000, 2}};
    for (auto [seconds, file] : nearest) {
        EXPECT_EQ(timed.FindFileByPlayTime(seconds), file) << seconds;
    }
    EXPECT_EQ(Association({}, {}).FindFileByPlayTime(1), -1);
}

// The file index in each row after the automatic pairing.
TEST(AssociationTest, AutomaticPairingSettlesConflicts) {
    const struct {
        const char* what;
        TrackList files;
        TrackList tracks;
        std::vector<int> records;
    } cases[] = {
        // Row 0 is emptied for the later track; b fills it as the nearest
        // blank row.
        {"a file taken twice by play time goes to the later track",
         {File("a.mp3", 100), File("b.mp3", 500)},
         {Track("x", 101), Track("y", 102)},
         {1, 0}},
        // 03 is found by number for track 3, and by play time for track 5.
        {"a better earlier match keeps its row",
         {File("01 a.mp3", 100), File("02 b.mp3", 200), File("03 c.mp3", 300),
          File("04 d.mp3", 400)},
         {Track("a", 100), Track("b", 200), Track("c", 300), Track("d", 400), Track("e", 305)},
         {0, 1, 2, 3, -1}},
        // Both tracks pick a by title, the later keeps it, and b fills the
        // row left blank: a file with a twin is never lost.
        {"files reading the same stay two files",
         {File("a.mp3", 60, "Interlude"), File("b.mp3", 60, "Interlude"),
          File("c.mp3", 300, "Song")},
         {Track("Song", 300), Track("Interlude", 60), Track("Interlude", 60)},
         {2, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Association association(c.files, c.tracks);
        association.AutoAssociate();
        EXPECT_EQ(Records(association.FileRows()), c.records);
        EXPECT_TRUE(association.UnplacedLines().empty());
        ExpectConsistent(association, c.files, c.tracks);
    }
}

TEST(AssociationTest, PairsAreReadRowAgainstRowSkippingBlanks) {
    const TrackList files = {File("a.mp3", 100), File("b.mp3", 200), File("c.mp3", 300)};
    const TrackList tracks = {Track("One", 100), Track("Two", 200)};
    Association association(files, tracks);
    association.AutoAssociate();
    RowList fileRows = association.FileRows();
    const RowList& titleRows = association.TitleRows();
    ASSERT_EQ(fileRows.size(), 3u);
    // The file facing the padded title row is left out.
    const auto pairs = [&] {
        std::vector<std::pair<int, int>> out;
        for (const AssociatedPair& pair : AssociatedPairs(fileRows, titleRows, files, tracks)) {
            out.emplace_back(pair.file, pair.track);
        }
        return out;
    };
    EXPECT_EQ(pairs(), (std::vector<std::pair<int, int>>{{0, 0}, {1, 1}}));
    // A swap and a deleted row through the dialog are the dialog test's.
    std::swap(fileRows[0], fileRows[1]);
    // Rows known by their text only are looked up.
    fileRows[0].record = -1;
    EXPECT_EQ(pairs(), (std::vector<std::pair<int, int>>{{1, 0}, {0, 1}}));
    fileRows[0].text = "unknown [00:00:01]";
    EXPECT_EQ(pairs(), (std::vector<std::pair<int, int>>{{0, 1}}));
}

// Random albums: whatever the names, titles and lengths, both lists end
// equally long and every file stands in exactly one row.
TEST(AssociationTest, PropertyEveryFileStandsInExactlyOneRow) {
    std::mt19937 random(99);
    const std::vector<std::string> words = {"love", "night", "01", "2", "12",     "track", "intro",
                                            "été",  "Кино",  "",   "-", "(live)", "a",     "the"};
    const auto text = [&](int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            out += words[random() % words.size()] + " ";
        }
        return out;
    };
    for (int round = 0; round < 400; ++round) {
        TrackList files(random() % 25);
        TrackList tracks(random() % 25);
        for (std::size_t i = 0; i < files.size(); ++i) {
            files[i] = File(text(1 + static_cast<int>(random() % 4)) + std::to_string(i) + ".mp3",
                            static_cast<std::uint32_t>(random() % 400),
                            random() % 2 ? text(static_cast<int>(random() % 3)) : "");
        }
        for (TrackInfo& track : tracks) {
            track = Track(text(static_cast<int>(random() % 4)),
                          static_cast<std::uint32_t>(random() % 400));
        }
        Association association(files, tracks);
        association.AutoAssociate();
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectConsistent(association, files, tracks);
        ASSERT_EQ(association.FileRows().size(), std::max(files.size(), tracks.size()));
    }
}

}  // namespace
}  // namespace corvane
