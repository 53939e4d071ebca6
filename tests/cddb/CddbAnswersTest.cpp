#include <gtest/gtest.h>

#include "cddb/CddbAnswers.h"

namespace corvane {
namespace {

TEST(QueryAnswer, SingleMatch) {
    std::vector<DiscMatch> matches;
    ASSERT_EQ(ParseQueryAnswer("200 rock a50c5c0d Some Artist / Some Album\r\n", matches),
              QueryOutcome::kMatches);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0], (DiscMatch{"rock", 0xa50c5c0d, "Some Artist", "Some Album"}));
}

TEST(QueryAnswer, ListSkipsLinesWithoutTitlePart) {
    std::vector<DiscMatch> matches{DiscMatch{}};
    ASSERT_EQ(ParseQueryAnswer("211 close matches found\r\n"
                               "rock 11111111 A / B\r\n"
                               "jazz 22222222\r\n"
                               "misc 33333333 C / D",
                               matches),
              QueryOutcome::kMatches);
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].category, "rock");
    EXPECT_EQ(matches[1].discId, 0x33333333u);
    EXPECT_EQ(matches[1].title, "D");
}

TEST(QueryAnswer, NoMatchAndUnexpectedStatus) {
    std::vector<DiscMatch> matches{DiscMatch{}};
    EXPECT_EQ(ParseQueryAnswer("202 No match found\r\n", matches), QueryOutcome::kNoMatch);
    EXPECT_TRUE(matches.empty());
    EXPECT_EQ(ParseQueryAnswer("210 list\r\n", matches), QueryOutcome::kNoMatch);
    EXPECT_EQ(ParseQueryAnswer("403 Database entry is corrupt\r\n", matches),
              QueryOutcome::kUnexpected);
    EXPECT_EQ(ParseQueryAnswer("200 x", matches), QueryOutcome::kUnexpected);
    EXPECT_EQ(ParseQueryAnswer("200 rock", matches), QueryOutcome::kUnexpected);
    EXPECT_EQ(ParseQueryAnswer("", matches), QueryOutcome::kUnexpected);
}

TEST(MatchLine, RestWithoutSlashIsTheUntrimmedTitle) {
    DiscMatch match;
    ASSERT_TRUE(ParseMatchLine("misc 12345678 Only a title ", match));
    EXPECT_EQ(match.artist, "");
    EXPECT_EQ(match.title, "Only a title ");
}

TEST(MatchLine, SplitsAtTheFirstSlash) {
    DiscMatch match;
    ASSERT_TRUE(ParseMatchLine("misc 12345678 AC/DC / Back", match));
    EXPECT_EQ(match.artist, "AC");
    EXPECT_EQ(match.title, "DC / Back");
}

TEST(MatchLine, RejectsMissingParts) {
    DiscMatch match;
    EXPECT_FALSE(ParseMatchLine("rock", match));
    EXPECT_FALSE(ParseMatchLine("rock 12345678", match));
    EXPECT_FALSE(ParseMatchLine("rock 12345678   ", match));
    EXPECT_FALSE(ParseMatchLine("", match));
    ASSERT_TRUE(ParseMatchLine("rock zz A / B\nmore", match));
    EXPECT_EQ(match.discId, 0u);
    EXPECT_EQ(match.title, "B");
}

TEST(SiteLine, ParsesCoordinates) {
    CddbSite site;
    ASSERT_TRUE(ParseSiteLine(
        "gnudb.gnudb.org http 80 /~cddb/cddb.cgi N037.46 W122.25 Random gnudb server", site));
    EXPECT_EQ(site.host, "gnudb.gnudb.org");
    EXPECT_EQ(site.port, 80);
    EXPECT_EQ(site.path, "/~cddb/cddb.cgi");
    EXPECT_TRUE(site.north);
    EXPECT_EQ(site.latitudeMinutes, 37 * 60 + 46);
    EXPECT_FALSE(site.east);
    EXPECT_EQ(site.longitudeMinutes, 122 * 60 + 25);
    EXPECT_EQ(site.description, "Random gnudb server");

    CddbSite zero;
    ASSERT_TRUE(ParseSiteLine("h HTTP  8880  /p   N000.00 W000.00   Any", zero));
    EXPECT_TRUE(zero.north);
    EXPECT_EQ(zero.latitudeMinutes, 0);
    EXPECT_FALSE(zero.east);
    EXPECT_EQ(zero.longitudeMinutes, 0);
    EXPECT_EQ(zero.port, 8880);
    EXPECT_EQ(zero.description, "Any");
}

TEST(SiteLine, RejectsUnusableLines) {
    CddbSite site;
    EXPECT_FALSE(ParseSiteLine("h cddbp 888 - N037.46 W122.25 text", site));
    EXPECT_FALSE(ParseSiteLine("h http 80 /p N37.46 W122.25 text", site));
    EXPECT_FALSE(ParseSiteLine("h http 80 /p X037.46 W122.25 text", site));
    EXPECT_FALSE(ParseSiteLine("h http 80 /p N037.46 Q122.25 text", site));
    EXPECT_FALSE(ParseSiteLine("h http 80 /p N037.46 W122.25", site));
    EXPECT_FALSE(ParseSiteLine("h http 80 /p N037.46 W122.25   ", site));
    EXPECT_FALSE(ParseSiteLine("h http 99999 /p N037.46 W122.25 text", site));
    EXPECT_FALSE(ParseSiteLine("h", site));
    EXPECT_FALSE(ParseSiteLine("", site));
}

TEST(SitesAnswer, KeepsUsableLinesInOrder) {
    std::vector<CddbSite> sites;
    ASSERT_TRUE(
        ParseSitesAnswer("210 OK, site information follows\r\n"
                         "b.example http 80 /~cddb/cddb.cgi N000.00 E000.00 B\r\n"
                         "c.example cddbp 888 - N000.00 E000.00 C\r\n"
                         "a.example http 8080 /cgi S010.30 E020.15 A",
                         sites));
    ASSERT_EQ(sites.size(), 2u);
    EXPECT_EQ(sites[0].host, "b.example");
    EXPECT_EQ(sites[1].host, "a.example");
    EXPECT_FALSE(sites[1].north);
    EXPECT_EQ(sites[1].latitudeMinutes, 630);
    EXPECT_TRUE(ParseSitesAnswer("210 OK\r\n", sites));
    EXPECT_TRUE(sites.empty());
    EXPECT_FALSE(ParseSitesAnswer("401 No site information available.\r\n", sites));
}

TEST(MotdAnswer, TextAfterTheStatusLine) {
    std::string text;
    ASSERT_TRUE(ParseMotdAnswer("210 Last modified: x MOTD follows\r\nHello\r\nWorld", text));
    EXPECT_EQ(text, "Hello\r\nWorld");
    EXPECT_TRUE(ParseMotdAnswer("210 Last modified\r\n", text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(ParseMotdAnswer("210 no line break", text));
    EXPECT_FALSE(ParseMotdAnswer("401 No message of the day available\r\n", text));
}

}  // namespace
}  // namespace corvane
