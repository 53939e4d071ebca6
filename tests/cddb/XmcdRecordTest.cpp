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
    for (const std::string& body : {Body(kExample), lineFeeds}) {
        DiscRecord record;
        ASSERT_TRUE(ParseXmcdRecord(body, record));
        EXPECT_EQ(record.frameOffsets, (std::vector<int32_t>{150, 21052}));
        EXPECT_EQ(record.discLength, 600);
        EXPECT_EQ(record.revision, 2);
        EXPECT_EQ(record.submitterName, "ripper");
        EXPECT_EQ(record.submitterVersion, "1.0");
        EXPECT_EQ(record.discId, 0xa50c5c0du);
        EXPECT_EQ(record.artist, "Some Artist");
        EXPECT_EQ(record.album, "Some Album");
        EXPECT_EQ(record.year, 1999);
        EXPECT_EQ(record.genre, "Rock");
        EXPECT_EQ(record.trackTitles, (std::vector<std::string>{"First", "Second"}));
        EXPECT_EQ(record.trackExtended, (std::vector<std::string>{"", ""}));
        EXPECT_TRUE(record.playOrder.empty());
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
    EXPECT_EQ(Parsed(10, 1, {"DTITLE=A/B"}).artist, "A/B");
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

TEST(XmcdRecord, EscapesAreUndoneInOrder) {
    std::string key;
    std::string value;
    ASSERT_TRUE(SplitKeyValue("K=a\\tb\\\\c\\nd", key, value));
    EXPECT_EQ(key, "K");
    EXPECT_EQ(value, "a\tb\\c\nd");
    // The \n pass runs before the \\ pass.
    ASSERT_TRUE(SplitKeyValue("K=\\\\n", key, value));
    EXPECT_EQ(value, "\\\n");
    ASSERT_TRUE(SplitKeyValue(" K =x=y", key, value));
    EXPECT_EQ(key, " K ");
    EXPECT_EQ(value, "x=y");
    EXPECT_FALSE(SplitKeyValue("no equals sign", key, value));
}

TEST(XmcdRecord, ShortCommentsHaveEmptyText) {
    std::string text = "x";
    EXPECT_TRUE(CommentText("#a", text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(CommentText("#  ab  ", text));
    EXPECT_EQ(text, "ab");
    EXPECT_FALSE(CommentText("DTITLE=#", text));
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
