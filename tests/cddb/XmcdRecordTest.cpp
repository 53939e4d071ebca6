#include <gtest/gtest.h>

#include "cddb/CddbClient.h"
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

std::vector<std::string> ExampleLines() {
    return {"210 rock a50c5c0d CD database entry follows",
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
}

// The example with `count` lines from `at` on replaced.
std::string ExampleWith(size_t at, size_t count, const std::vector<std::string>& replacement) {
    std::vector<std::string> lines = ExampleLines();
    lines.erase(lines.begin() + static_cast<long>(at),
                lines.begin() + static_cast<long>(at + count));
    lines.insert(lines.begin() + static_cast<long>(at), replacement.begin(), replacement.end());
    return Body(lines);
}

TEST(XmcdRecord, ParsesTheExampleRecord) {
    DiscRecord record;
    ASSERT_TRUE(ParseXmcdRecord(Body(ExampleLines()), record));
    EXPECT_EQ(record.frameOffsets, (std::vector<int32_t>{150, 21052}));
    EXPECT_EQ(record.discLength, 600);
    EXPECT_EQ(record.revision, 2);
    EXPECT_EQ(record.submitterName, "ripper");
    EXPECT_EQ(record.submitterVersion, "1.0");
    EXPECT_EQ(record.submitterComment, "");
    EXPECT_EQ(record.discId, 0xa50c5c0du);
    EXPECT_EQ(record.artist, "Some Artist");
    EXPECT_EQ(record.album, "Some Album");
    EXPECT_EQ(record.year, 1999);
    EXPECT_EQ(record.genre, "Rock");
    EXPECT_EQ(record.trackTitles, (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(record.trackExtended, (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(record.playOrder.empty());
    EXPECT_TRUE(record.extendedData.empty());
}

TEST(XmcdRecord, LinefeedOnlyRecordsParseToo) {
    std::string body = Body(ExampleLines());
    std::string lf;
    for (char c : body) {
        if (c != '\r') {
            lf += c;
        }
    }
    DiscRecord record;
    ASSERT_TRUE(ParseXmcdRecord(lf, record));
    EXPECT_EQ(record.trackTitles.size(), 2u);
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
    EXPECT_FALSE(ParseXmcdRecord(ExampleWith(6, 1, {}), record));
    EXPECT_FALSE(ParseXmcdRecord(ExampleWith(10, 1, {}), record));
    // Not a 21x answer, or no line after the status.
    EXPECT_FALSE(ParseXmcdRecord("401 rock a50c5c0d No such CD entry", record));
    EXPECT_FALSE(ParseXmcdRecord("210 only a status", record));
}

TEST(XmcdRecord, RecordWithoutOffsetsFails) {
    std::vector<std::string> lines = ExampleLines();
    lines.erase(lines.begin() + 3, lines.begin() + 5);
    DiscRecord record;
    EXPECT_FALSE(ParseXmcdRecord(Body(lines), record));
}

TEST(XmcdRecord, DisctitleSplitsOnlyAtSpacedSlash) {
    DiscRecord record;
    ASSERT_TRUE(ParseXmcdRecord(ExampleWith(10, 1, {"DTITLE=Compilation"}), record));
    EXPECT_EQ(record.artist, "Compilation");
    EXPECT_EQ(record.album, "Compilation");
    ASSERT_TRUE(ParseXmcdRecord(ExampleWith(10, 1, {"DTITLE=A/B"}), record));
    EXPECT_EQ(record.artist, "A/B");
    EXPECT_EQ(record.album, "A/B");
    ASSERT_TRUE(
        ParseXmcdRecord(ExampleWith(10, 1, {"DTITLE=AC/DC / Back", "DTITLE= in Black"}), record));
    EXPECT_EQ(record.artist, "AC/DC");
    EXPECT_EQ(record.album, "Back in Black");
}

TEST(XmcdRecord, ContinuationLinesJoinWithoutSeparator) {
    DiscRecord record;
    ASSERT_TRUE(
        ParseXmcdRecord(ExampleWith(14, 2, {"TTITLE1=Part one, ", "TTITLE1=part two"}), record));
    EXPECT_EQ(record.trackTitles[1], "Part one, part two");
}

TEST(XmcdRecord, EscapesAreUndoneInOrder) {
    std::string key;
    std::string value;
    ASSERT_TRUE(SplitKeyValue("K=A\\nB", key, value));
    EXPECT_EQ(key, "K");
    EXPECT_EQ(value, "A\nB");
    ASSERT_TRUE(SplitKeyValue("K=a\\tb\\\\c", key, value));
    EXPECT_EQ(value, "a\tb\\c");
    // The \n pass runs before the \\ pass.
    ASSERT_TRUE(SplitKeyValue("K=\\\\n", key, value));
    EXPECT_EQ(value, "\\\n");
    ASSERT_TRUE(SplitKeyValue(" K =x=y", key, value));
    EXPECT_EQ(key, " K ");
    EXPECT_EQ(value, "x=y");
    EXPECT_FALSE(SplitKeyValue("no equals sign", key, value));
}

TEST(XmcdRecord, SmallerTrackNumberShrinksTheTitles) {
    DiscRecord record;
    ASSERT_TRUE(ParseXmcdRecord(
        ExampleWith(13, 1, {"TTITLE0=First", "TTITLE4=Far", "TTITLE1=Back", "EXTT4=", "EXTT1="}),
        record));
    EXPECT_EQ(record.trackTitles, (std::vector<std::string>{"First", "BackSecond"}));
}

TEST(XmcdRecord, PlayOrderPieces) {
    DiscRecord record;
    ASSERT_TRUE(ParseXmcdRecord(ExampleWith(19, 1, {"PLAYORDER=1,2,,3"}), record));
    EXPECT_EQ(record.playOrder, (std::vector<int32_t>{1, 2, 0, 3}));
    ASSERT_TRUE(ParseXmcdRecord(ExampleWith(19, 1, {"PLAYORDER=4,"}), record));
    EXPECT_EQ(record.playOrder, (std::vector<int32_t>{4}));
}

TEST(XmcdRecord, ShortCommentsHaveEmptyText) {
    std::string text = "x";
    EXPECT_TRUE(CommentText("#", text));
    EXPECT_EQ(text, "");
    text = "x";
    EXPECT_TRUE(CommentText("#a", text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(CommentText("#  ab  ", text));
    EXPECT_EQ(text, "ab");
    EXPECT_FALSE(CommentText("DTITLE=#", text));
}

TEST(XmcdRecord, SeveralDiscIdsTakeTheFirst) {
    DiscRecord record;
    ASSERT_TRUE(ParseXmcdRecord(ExampleWith(9, 1, {"DISCID=a50c5c0d,a50c5c0e"}), record));
    EXPECT_EQ(record.discId, 0xa50c5c0du);
}

TEST(XmcdRecord, SubmitterCommentAndRevision) {
    DiscRecord record;
    ASSERT_TRUE(ParseXmcdRecord(
        ExampleWith(7, 2, {"# Revision:    17", "# Submitted via: ripper  2.5  beta  extra"}),
        record));
    EXPECT_EQ(record.revision, 17);
    EXPECT_EQ(record.submitterName, "ripper");
    EXPECT_EQ(record.submitterVersion, "2.5");
    EXPECT_EQ(record.submitterComment, "beta");
}

TEST(XmcdRecord, HostileIndexesAreIgnored) {
    DiscRecord record;
    ASSERT_TRUE(
        ParseXmcdRecord(ExampleWith(15, 1,
                                    {"TTITLE1=ond", "TTITLE999999999=x", "TTITLE-1=y", "EXTT1000=z",
                                     "TTITLE1000=w", "EXTT-5=v", "Disc length: 5"}),
                        record));
    EXPECT_EQ(record.trackTitles.size(), 2u);
    EXPECT_EQ(record.trackExtended.size(), 2u);
    // 999 is still accepted.
    ASSERT_FALSE(ParseXmcdRecord(ExampleWith(15, 1, {"TTITLE1=ond", "TTITLE999=x"}), record));
    EXPECT_EQ(record.trackTitles.size(), 1000u);
}

TEST(XmcdRecord, TruncatedDiscLengthCommentDoesNotCrash) {
    DiscRecord record;
    ASSERT_TRUE(ParseXmcdRecord(ExampleWith(6, 1, {"# Disc length:"}), record));
    EXPECT_EQ(record.discLength, 0);
}

TEST(XmcdRecord, ClientParseRecordSetsErrorAndKeepsBody) {
    CddbClient client;
    DiscRecord record;
    EXPECT_FALSE(client.ParseRecord("401 rock 1 none", record));
    EXPECT_EQ(client.ErrorCode(), 10043);
    EXPECT_EQ(client.LastAnswer(), "401 rock 1 none");
    EXPECT_TRUE(client.ParseRecord(Body(ExampleLines()), record));
    EXPECT_EQ(client.LastAnswer(), "");
}

}  // namespace
}  // namespace corvane
