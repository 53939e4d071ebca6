#include "naming/NameFormat.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "naming/CaseConversion.h"
#include "naming/FileNameCleanup.h"
#include "platform/Utf8.h"

namespace corvane {
namespace {

TrackInfo Track(const std::string& track, const std::string& title) {
    TrackInfo record;
    record.track = track;
    record.title = title;
    return record;
}

TEST(NameFormatTest, DisplayNamesWriteKeywordsAsWords) {
    EXPECT_EQ(ToDisplayName("%0 - [%4] - %2"), "Track# - [Album] - Title");
    EXPECT_EQ(ToDisplayName("%0%1%2%3%4%5%6%7%8%9"),
              "Track#ArtistTitleYearAlbumLengthBitRateGenreComment%9");
    EXPECT_EQ(FromDisplayName("Track - Title"), "%0 - %2");
    EXPECT_EQ(FromDisplayName("Tracks"), "%0s");
    EXPECT_EQ(FromDisplayName("title"), "title");
    // The editor's spellings are the keywords too; quoted text is literal.
    EXPECT_EQ(FromDisplayName("Comments Comment Bitrate BitRate"), "%8 %8 %6 %6");
    EXPECT_EQ(FromDisplayName("\"Track\" - Title \"a\"\"b"), "Track - %2 a\"b");
}

TEST(NameFormatTest, EveryTemplateReadsBackFromItsDisplayName) {
    std::vector<std::string> templates(kPresetNameFormats.begin(), kPresetNameFormats.end());
    for (char code = '0'; code <= '8'; ++code) {
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
    EXPECT_EQ(ReplaceAll("   ", "  ", " "), "  ");
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

TEST(NameFormatTest, BuildsTheNamesOfTheUsualTemplates) {
    EXPECT_EQ(BuildFileName(Track("7", "Help"), "%0 - %2", kCaseDoNothing), "07 - Help.mp3");
    EXPECT_EQ(BuildFileName(Track("12", "Help"), "%0 - %2", kCaseDoNothing), "12 - Help.mp3");
    EXPECT_EQ(BuildFileName(Track("", "Help"), "%0 - %2", kCaseDoNothing), " - Help.mp3");
    TrackInfo why = Track("3", "Why?");
    why.artist = "Up/Down";
    EXPECT_EQ(BuildFileName(why, "(%1) - %0 - %2", kCaseDoNothing), "(Up_Down) - 03 - Why_.mp3");
    // The case mode applies to the whole name, not only to the fields.
    EXPECT_EQ(BuildFileName(Track("7", "Help"), "%0 - %2", kCaseSpaceToUnderscore),
              "07_-_Help.mp3");
}

TEST(NameFormatTest, ExpandsEveryField) {
    TrackInfo record = Track("5", "Song");
    record.artist = "Band";
    record.year = "1999";
    record.album = "Record";
    record.playSeconds = 224;
    record.bitrate = 192;
    record.genre = "Rock";
    record.comment = "Live";
    EXPECT_EQ(ExpandNameFormat("%0|%1|%2|%3|%4|%5|%6|%7|%8", record),
              "05|Band|Song|1999|Record|00:03:44|192Kbps|Rock|Live");
    record.bitrate = 0;
    record.year.clear();
    EXPECT_EQ(ExpandNameFormat("%6 (%3)", record), "0Kbps ()");
    EXPECT_EQ(BuildFileName(record, "Album", kCaseDoNothing), "Album.mp3");
    EXPECT_EQ(BuildFileName(record, "%3", kCaseDoNothing), "_.mp3");
}

TEST(NameFormatTest, FieldsHoldingLaterKeywordsAreExpandedAgain) {
    TrackInfo record = Track("1", "%8");
    record.comment = "note";
    EXPECT_EQ(ExpandNameFormat("%2", record), "note");
    record.title = "100%1";
    record.artist = "X";
    EXPECT_EQ(ExpandNameFormat("%2", record), "100%1");
    EXPECT_EQ(BuildFileName(record, "%2", kCaseDoNothing), "100_1.mp3");
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

TEST(NameFormatTest, LongNamesAreCutAtACharacterBoundary) {
    std::string title;
    for (int i = 0; i < 200; ++i) {
        title += "é";  // two bytes each
    }
    const std::string name = BuildFileName(Track("1", title), "%0%2", kCaseDoNothing);
    EXPECT_LE(name.size(), kMaxFileNameBytes);
    EXPECT_TRUE(IsValidUtf8(name));
    EXPECT_EQ(name.substr(name.size() - 4), ".mp3");
    EXPECT_EQ(name.substr(0, 4), "01é");
    EXPECT_EQ(name.size(), 250u + 4u);  // "01" and 124 é: the 125th would be split
}

TEST(CleanupTest, ReplacesWhatAFileNameCannotHold) {
    EXPECT_EQ(ReplaceIllegalChars("a\\b/c:d*e?f%g<h>i|j\"k"), "a_b_c_d_e_f_g_h_i_j'k");
    EXPECT_EQ(ReplaceIllegalChars("line\nbreak\ttab\x7F\x01"), "line_break_tab__");
    EXPECT_EQ(ReplaceIllegalChars(std::string("nul\0x", 5)), "nul_x");
    EXPECT_EQ(ReplaceIllegalChars(" trailing. "), " trailing. ");
    EXPECT_EQ(ReplaceIllegalChars("Ünïcödé ok"), "Ünïcödé ok");
    // A leading dot would hide the file.
    EXPECT_EQ(ReplaceIllegalChars("...Baby One More Time"), "_..Baby One More Time");
}

TEST(CleanupTest, LimitBytesNeverSplitsACharacter) {
    EXPECT_EQ(LimitBytes("abcdef", 3), "abc");
    EXPECT_EQ(LimitBytes("a€", 3), "a");  // € is three bytes
    EXPECT_EQ(LimitBytes("a€", 4), "a€");
    EXPECT_EQ(LimitBytes("\x80\x80\x80\x80\x80", 4), "\x80");
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
