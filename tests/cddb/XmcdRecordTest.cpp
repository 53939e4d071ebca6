#include <gtest/gtest.h>

#include "cddb/XmcdRecord.h"

namespace corvane {
namespace {

// Joins lines with CR LF, as the body arrives with the terminator removed.
std::string Body(const std::vector<std::string>& lines) {
    std::string body;
    for (size_t i = 0; i < lines.size(); ++i) {
        body += (i ? "\r\n" : "") + lines[i];
    }
    return body;
}

const std::vector<std::string> kExample = {"210 rock a50c5c0d CD database entry follows",
                                           "# xmcd",
                                           "# Track frame offsets:",
                                           "#\t150",
                                           "#\t21052",
                                           "#",
                                           "# Disc length: 600 seconds",
                                           "# Revision: 2",
                                           "# Submitted via: ripper 1.0",
                                           "DISCID=a50c5c0d",
                                           "DTITLE=Some Artist / Some Album",
                                           "DYEAR=1999",
                                           "DGENRE=Rock",
                                           "TTITLE0=First",
                                           "TTITLE1=Sec",
                                           "TTITLE1=ond",
                                           "EXTD=",
                                           "EXTT0=",
                                           "EXTT1=",
                                           "PLAYORDER="};

// The example with `count` lines from `at` on replaced.
std::string ExampleWith(size_t at, size_t count, const std::vector<std::string>& replacement) {
    std::vector<std::string> lines = kExample;
    lines.erase(lines.begin() + static_cast<long>(at),
                lines.begin() + static_cast<long>(at + count));
    lines.insert(lines.begin() + static_cast<long>(at), replacement.begin(), replacement.end());
    return Body(lines);
}

TEST(XmcdRecord, ParsesTheExampleRecordWithEitherLineBreak) {
    std::string lineFeeds = Body(kExample);
    std::erase(lineFeeds, '\r');
    const DiscRecord expected{.frameOffsets = {150, 21052},
                              .discLength = 600,
                              .revision = 2,
                              .submitterName = "ripper",
                              .submitterVersion = "1.0",
                              .submitterComment = "",
                              .discId = 0xa50c5c0d,
                              .artist = "Some Artist",
                              .album = "Some Album",
                              .trackTitles = {"First", "Second"},
                              .extendedData = "",
                              .trackExtended = {"", ""},
                              .playOrder = {},
                              .year = 1999,
                              .genre = "Rock",
                              .trackArtists = {}};
    for (const std::string& body : {Body(kExample), lineFeeds}) {
        DiscRecord record;
        ASSERT_TRUE(ParseXmcdRecord(body, record));
        EXPECT_EQ(record, expected);
    }
}

TEST(XmcdRecord, IncompleteRecordsFail) {
    DiscRecord record;
    // Submitter comment missing, or naming only the program.
    EXPECT_FALSE(ParseXmcdRecord(ExampleWith(8, 1, {}), record));
    EXPECT_FALSE(ParseXmcdRecord(ExampleWith(8, 1, {"# Submitted via: ripper"}), record));
    // Four titles, three extended entries.
    EXPECT_FALSE(ParseXmcdRecord(ExampleWith(15, 1, {"TTITLE2=c", "TTITLE3=d", "EXTT2="}), record));
    // A disc id shorter than 8 characters does not count.
    EXPECT_FALSE(ParseXmcdRecord(ExampleWith(9, 1, {"DISCID=a50c5c0"}), record));
    // No signature, no offsets, no length, no title.
    EXPECT_FALSE(ParseXmcdRecord(ExampleWith(1, 1, {"# xmcx"}), record));
    EXPECT_FALSE(ParseXmcdRecord(ExampleWith(3, 2, {}), record));
    EXPECT_FALSE(ParseXmcdRecord(ExampleWith(6, 1, {}), record));
    EXPECT_FALSE(ParseXmcdRecord(ExampleWith(10, 1, {}), record));
    // A notice where the album should be: no tracks, or nothing but blanks.
    EXPECT_FALSE(ParseXmcdRecord(
        ExampleWith(10, 6, {"DTITLE=This server has moved to gnudb.org", "EXTD="}), record));
    EXPECT_FALSE(ParseXmcdRecord(
        ExampleWith(10, 6, {"DTITLE= ", "TTITLE0=", "TTITLE1=", "EXTD=", "EXTT0=", "EXTT1="}),
        record));
    // Not a 21x answer, or no line after the status.
    EXPECT_FALSE(ParseXmcdRecord("401 rock a50c5c0d No such CD entry", record));
    EXPECT_FALSE(ParseXmcdRecord("210 only a status", record));
}

// The example with some lines replaced, which must still parse.
DiscRecord Parsed(size_t at, size_t count, const std::vector<std::string>& replacement) {
    DiscRecord record;
    EXPECT_TRUE(ParseXmcdRecord(ExampleWith(at, count, replacement), record)) << replacement[0];
    return record;
}

TEST(XmcdRecord, LineVariants) {
    // The disc title splits only at a slash with spaces around it.
    EXPECT_EQ(Parsed(10, 1, {"DTITLE=A/B"}).album, "A/B");
    const DiscRecord split = Parsed(10, 1, {"DTITLE=AC/DC / Back", "DTITLE= in Black"});
    EXPECT_EQ(split.artist, "AC/DC");
    EXPECT_EQ(split.album, "Back in Black");
    // Continuation lines join without a separator; a smaller track number
    // shrinks the titles again.
    EXPECT_EQ(Parsed(14, 2, {"TTITLE1=Part one, ", "TTITLE1=part two"}).trackTitles[1],
              "Part one, part two");
    EXPECT_EQ(Parsed(13, 1, {"TTITLE0=First", "TTITLE4=Far", "TTITLE1=Back", "EXTT4=", "EXTT1="})
                  .trackTitles,
              (std::vector<std::string>{"First", "BackSecond"}));
    EXPECT_EQ(Parsed(19, 1, {"PLAYORDER=1,2,,3"}).playOrder, (std::vector<int32_t>{1, 2, 0, 3}));
    EXPECT_EQ(Parsed(19, 1, {"PLAYORDER=4,"}).playOrder, (std::vector<int32_t>{4}));
    EXPECT_EQ(Parsed(9, 1, {"DISCID=a50c5c0d,a50c5c0e"}).discId, 0xa50c5c0du);
    const DiscRecord submitter =
        Parsed(7, 2, {"# Revision:    17", "# Submitted via: ripper  2.5  beta  extra"});
    EXPECT_EQ(submitter.revision, 17);
    EXPECT_EQ(submitter.submitterVersion, "2.5");
    EXPECT_EQ(submitter.submitterComment, "beta");
    EXPECT_EQ(Parsed(6, 1, {"# Disc length:"}).discLength, 0);  // truncated
}

// The \n pass runs before the \\ pass; a short comment has empty text.
TEST(XmcdRecord, EscapesAndComments) {
    std::string key;
    std::string value;
    const std::pair<const char*, const char*> escapes[] = {
        {"K=a\\tb\\\\c\\nd", "a\tb\\c\nd"}, {"K=\\\\n", "\\\n"}, {"K=x=y", "x=y"}};
    for (const auto& [line, text] : escapes) {
        ASSERT_TRUE(SplitKeyValue(line, key, value));
        EXPECT_EQ(key, "K");
        EXPECT_EQ(value, text);
    }
    EXPECT_FALSE(SplitKeyValue("no equals sign", key, value));
    EXPECT_TRUE(CommentText("#a", value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(CommentText("#  ab  ", value));
    EXPECT_EQ(value, "ab");
    EXPECT_FALSE(CommentText("DTITLE=#", value));
}

TEST(XmcdRecord, HostileLinesAndIndexesAreIgnored) {
    DiscRecord record;
    ASSERT_TRUE(
        ParseXmcdRecord(ExampleWith(15, 1,
                                    {"TTITLE1=ond", "TTITLE999999999=x", "TTITLE-1=y", "EXTT1000=z",
                                     "TTITLE1000=w", "EXTT-5=v", "EXTT2147483648=u",
                                     "Disc length: 5", "no equals sign here", "=", "#", ""}),
                        record));
    EXPECT_EQ(record.trackTitles, (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(record.trackExtended.size(), 2u);
    // 999 is still accepted.
    ASSERT_FALSE(ParseXmcdRecord(ExampleWith(15, 1, {"TTITLE1=ond", "TTITLE999=x"}), record));
    EXPECT_EQ(record.trackTitles.size(), 1000u);
}

}  // namespace
}  // namespace corvane
