#include <gtest/gtest.h>

#include "cddb/CddbAnswers.h"

namespace corvane {
namespace {

// A list skips the lines without a title.
TEST(QueryAnswer, MatchesNoMatchAndUnexpectedStatus) {
    std::vector<DiscMatch> matches;
    ASSERT_EQ(ParseQueryAnswer("200 rock a50c5c0d Some Artist / Some Album\r\n", matches),
              QueryOutcome::kMatches);
    EXPECT_EQ(matches, (std::vector<DiscMatch>{{"rock", 0xa50c5c0d, "Some Artist", "Some Album"}}));
    ASSERT_EQ(ParseQueryAnswer("211 close matches found\r\n"
                               "rock 11111111 A / B\r\n"
                               "jazz 22222222\r\n"
                               "misc 33333333 C / D",
                               matches),
              QueryOutcome::kMatches);
    EXPECT_EQ(matches, (std::vector<DiscMatch>{{"rock", 0x11111111, "A", "B"},
                                               {"misc", 0x33333333, "C", "D"}}));
    EXPECT_EQ(ParseQueryAnswer("202 No match found\r\n", matches), QueryOutcome::kNoMatch);
    EXPECT_TRUE(matches.empty());
    EXPECT_EQ(ParseQueryAnswer("210 list\r\n", matches), QueryOutcome::kNoMatch);
    for (const char* answer : {"403 Database entry is corrupt\r\n", "200 x", "200 rock", ""}) {
        EXPECT_EQ(ParseQueryAnswer(answer, matches), QueryOutcome::kUnexpected) << answer;
    }
}

// The search command's 200 carries a list, unlike the query's.
TEST(SearchAnswer, ListNoMatchAndUnexpectedStatus) {
    std::vector<DiscMatch> matches;
    ASSERT_EQ(ParseSearchAnswer("200 Found 2 matches, list follows (until terminating `.')\r\n"
                                "jazz 14001003 Lumen Quartet / Harbour Nights\r\n"
                                "misc 0badf00d Lumen / Other\r\n",
                                matches),
              QueryOutcome::kMatches);
    EXPECT_EQ(matches,
              (std::vector<DiscMatch>{{"jazz", 0x14001003, "Lumen Quartet", "Harbour Nights"},
                                      {"misc", 0x0badf00d, "Lumen", "Other"}}));
    EXPECT_EQ(ParseSearchAnswer("202 No match found.\r\n", matches), QueryOutcome::kNoMatch);
    for (const char* answer : {"500 Unknown developer email\r\n", "20", "<html>"}) {
        EXPECT_EQ(ParseSearchAnswer(answer, matches), QueryOutcome::kUnexpected) << answer;
    }
}

TEST(MatchLine, SplitsAtTheFirstSlashAndRejectsMissingParts) {
    const struct {
        const char* line;
        DiscMatch match;
    } cases[] = {
        {"misc 12345678 AC/DC / Back", {"misc", 0x12345678, "AC", "DC / Back"}},
        // Without a slash the rest is the title, untrimmed.
        {"misc 12345678 Only a title ", {"misc", 0x12345678, "", "Only a title "}},
        {"rock zz A / B\nmore", {"rock", 0, "A", "B"}},
    };
    DiscMatch match;
    for (const auto& c : cases) {
        ASSERT_TRUE(ParseMatchLine(c.line, match)) << c.line;
        EXPECT_EQ(match, c.match) << c.line;
    }
    for (const char* line : {"rock", "rock 12345678", "rock 12345678   ", ""}) {
        EXPECT_FALSE(ParseMatchLine(line, match)) << line;
    }
}

TEST(SiteLine, ParsesCoordinatesAndRejectsUnusableLines) {
    CddbSite site;
    ASSERT_TRUE(ParseSiteLine(
        "gnudb.gnudb.org http 80 /~cddb/cddb.cgi N037.46 W122.25 Random gnudb server", site));
    EXPECT_EQ(site, (CddbSite{"gnudb.gnudb.org", 80, "/~cddb/cddb.cgi", true, 37 * 60 + 46, false,
                              122 * 60 + 25, "Random gnudb server"}));
    site = CddbSite{};
    ASSERT_TRUE(ParseSiteLine("h HTTP  8880  /p   S000.00 E000.00   Any", site));
    EXPECT_EQ(site, (CddbSite{"h", 8880, "/p", false, 0, true, 0, "Any"}));
    for (const char* line : {"h cddbp 888 - N037.46 W122.25 text", "h http 80 /p N37.46 W122.25 t",
                             "h http 80 /p X037.46 W122.25 text", "h http 80 /p N037.46 Q122.25 t",
                             "h http 80 /p N037.46 W122.25", "h http 80 /p N037.46 W122.25   ",
                             "h http 99999 /p N037.46 W122.25 text", "h", ""}) {
        EXPECT_FALSE(ParseSiteLine(line, site)) << line;
    }
}

// Unusable lines (here a cddbp site) are left out.
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
    EXPECT_FALSE(ParseSitesAnswer("401 No site information available.\r\n", sites));
}

// The text itself is read by the transport and agent tests.
TEST(MotdAnswer, RefusesAnAnswerWithoutText) {
    std::string text;
    EXPECT_FALSE(ParseMotdAnswer("210 no line break", text));
    EXPECT_FALSE(ParseMotdAnswer("401 No message of the day available\r\n", text));
}

}  // namespace
}  // namespace corvane
