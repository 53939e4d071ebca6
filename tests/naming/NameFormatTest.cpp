#include "naming/NameFormat.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "naming/CaseConversion.h"
#include "naming/FileNameCleanup.h"
#include "support/CaseTable.h"

namespace corvane {
namespace {

TrackInfo Track(const std::string& track, const std::string& title) {
    TrackInfo record;
    record.track = track;
    record.title = title;
    return record;
}

TEST(NameFormatTest, DisplayNamesWriteKeywordsAsWords) {
    EXPECT_EQ(ToDisplayName("%0%1%2%3%4%5%6%7%8%9"),
              "Track#ArtistTitleYearAlbumLengthBitRateGenreCommentDisc#");
    // The editor's spellings are the keywords too; quoted text is literal.
    test::ExpectTable(FromDisplayName, {{"Track - Title", "%0 - %2"},
                                        {"Tracks", "%0s"},
                                        {"title", "title"},
                                        {"Comments Comment Bitrate BitRate", "%8 %8 %6 %6"},
                                        {"\"Track\" - Title \"a\"\"b", "Track - %2 a\"b"}});
}

TEST(NameFormatTest, EveryTemplateReadsBackFromItsDisplayName) {
    std::vector<std::string> templates(kPresetNameFormats.begin(), kPresetNameFormats.end());
    for (char code = '0'; code <= '9'; ++code) {
        templates.push_back(std::string("x %") + code + " y");
    }
    // Literal text that looks like keywords, and quotes.
    for (const char* odd : {"%8s", "Track %0", "%0#", "%%1", "%6 Bitrate", "%2 \"live\"", "\"",
                            "Comment%8s", "%0 - %2 - Title"}) {
        templates.push_back(odd);
    }
    for (const std::string& t : templates) {
        EXPECT_EQ(FromDisplayName(ToDisplayName(t)), t) << ToDisplayName(t);
    }
    EXPECT_EQ(ToDisplayName("%8s"), "Comment\"s\"");
}

TEST(NameFormatTest, ReplaceAllIsLeftToRightWithoutOverlap) {
    EXPECT_EQ(ReplaceAll("aaaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

TEST(NameFormatTest, PairedTracksTakeLengthAndBitrateFromTheirFiles) {
    TrackList files(2);
    files[0].playSeconds = 17;
    files[0].bitrate = 320;
    files[1].playSeconds = 200;
    files[1].bitrate = 128;
    TrackList tracks;
    for (const char* number : {"1", "2", "3"}) {
        tracks.push_back(Track(number, "T"));
        tracks.back().playSeconds = 19;  // the offsets' length, lead-in included
    }
    // File 1 goes to track 1, file 0 to track 2; track 3 has no file.
    NamePairedTracks(tracks, files, {1, 0, -1}, {0, 1, 2}, "%0 [%6] [%5]", kCaseDoNothing);
    EXPECT_EQ(tracks[0].fileName, "01 [128Kbps] [00_03_20].mp3");
    EXPECT_EQ(tracks[1].fileName, "02 [320Kbps] [00_00_17].mp3");
    EXPECT_EQ(tracks[2].fileName, "03 [0Kbps] [00_00_19].mp3");
}

// Fields holding later keywords are expanded again; the case mode applies to the whole name.
TEST(NameFormatTest, BuildsNamesFromEveryField) {
    TrackInfo record = Track("5", "Song");
    record.artist = "Up/Down";
    record.year = "1999";
    record.album = "Record";
    record.playSeconds = 224;
    record.bitrate = 192;
    record.genre = "Rock";
    record.comment = "Live";
    EXPECT_EQ(ExpandNameFormat("%0|%1|%2|%3|%4|%5|%6|%7|%8|%9", record),
              "05|Up/Down|Song|1999|Record|00:03:44|192Kbps|Rock|Live|");
    record.discNumber = 2;  // of a multi-disc album
    EXPECT_EQ(ExpandNameFormat("%9-%0", record), "2-05");
    const auto name = [&](const char* nameFormat, const char* mode = kCaseDoNothing) {
        return BuildFileName(record, nameFormat, mode);
    };
    EXPECT_EQ(name("(%1) - %0 - %2"), "(Up_Down) - 05 - Song.mp3");
    EXPECT_EQ(name("%0 - %2", kCaseSpaceToUnderscore), "05_-_Song.mp3");
    record.title = "Why?%8";
    record.track = "";
    record.year.clear();
    EXPECT_EQ(name("%0 - %2"), " - Why_Live.mp3");
    EXPECT_EQ(name("%3"), "_.mp3");
    record.title = "100%1";
    EXPECT_EQ(name("%2"), "100_1.mp3");
}

TEST(NameFormatTest, HostileFieldsCannotBlowUpTheName) {
    // Each field names the next one many times over.
    TrackInfo record = Track("1", std::string(2000, 'x'));
    std::string chain;
    for (int i = 0; i < 500; ++i) {
        chain += "%2";
    }
    record.artist = chain;
    const std::string name = BuildFileName(record, "%1%1%1%1", kCaseDoNothing);
    EXPECT_EQ(name, std::string(251, 'x') + ".mp3");
}

// "01" and 124 two-byte letters: the 125th would be split.
TEST(NameFormatTest, LongNamesAreCutAtACharacterBoundary) {
    std::string title;
    for (int i = 0; i < 200; ++i) {
        title += "é";
    }
    const std::string name = BuildFileName(Track("1", title), "%0%2", kCaseDoNothing);
    EXPECT_EQ(name, "01" + title.substr(0, 248) + ".mp3");
    EXPECT_EQ(LimitBytes("a€", 3), "a");  // € is three bytes
    EXPECT_EQ(LimitBytes("\x80\x80\x80\x80\x80", 4), "\x80");
}

// A leading dot would hide the file.
TEST(CleanupTest, ReplacesWhatAFileNameCannotHold) {
    test::ExpectTable(ReplaceIllegalChars, {{"a\\b/c:d*e?f%g<h>i|j\"k", "a_b_c_d_e_f_g_h_i_j'k"},
                                            {"line\nbreak\ttab\x7F\x01", "line_break_tab__"},
                                            {std::string("nul\0x", 5), "nul_x"},
                                            {" trailing. ", " trailing. "},
                                            {"Ünïcödé ok", "Ünïcödé ok"},
                                            {"...Baby One More Time", "_..Baby One More Time"}});
}

// Random field values (bytes of every kind, UTF-8, keywords) and templates:
// the name is always one usable file name.
TEST(NameFormatTest, PropertyEveryNameIsAUsableFileName) {
    std::mt19937 random(4711);
    const std::vector<std::string> pieces = {"%0", "%1", "%2", "%3", "%4", "%5", "%6",   "%7",
                                             "%8", "%",  "/",  "\\", "\n", "\t", "\x7F", "\x01",
                                             " ",  ".",  "..", "é",  "Ω",  "日", "\xC3", "\xFF",
                                             "a",  "Z",  "0",  "-",  "\"", "?",  "*",    "_"};
    const auto randomText = [&](int maxPieces) {
        std::string text;
        const int count = static_cast<int>(random() % static_cast<unsigned>(maxPieces + 1));
        for (int i = 0; i < count; ++i) {
            text += pieces[random() % pieces.size()];
        }
        if (random() % 8 == 0) {
            text += std::string(random() % 400, static_cast<char>('a' + random() % 26));
        }
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        TrackInfo record;
        record.track = randomText(3);
        record.artist = randomText(12);
        record.title = randomText(40);
        record.year = randomText(3);
        record.album = randomText(12);
        record.genre = randomText(4);
        record.comment = randomText(20);
        record.playSeconds = static_cast<std::uint32_t>(random());
        record.bitrate = static_cast<std::int32_t>(random());
        const std::string nameFormat = randomText(10);
        const char* mode = kCaseModes[random() % kCaseModes.size()];
        const std::string name = BuildFileName(record, nameFormat, mode);
        SCOPED_TRACE(nameFormat + " / " + mode);
        ASSERT_LE(name.size(), kMaxFileNameBytes);
        ASSERT_GE(name.size(), 4u);
        ASSERT_EQ(name.substr(name.size() - 4), ".mp3");
        ASSERT_NE(name[0], '.');
        for (char c : name) {
            const auto byte = static_cast<unsigned char>(c);
            ASSERT_NE(c, '/');
            ASSERT_FALSE(byte < 0x20 || byte == 0x7F) << static_cast<int>(byte);
        }
    }
}

}  // namespace
}  // namespace corvane
