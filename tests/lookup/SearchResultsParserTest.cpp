#include "lookup/SearchResultsParser.h"

#include <gtest/gtest.h>

#include <random>

#include "support/TestSupport.h"

namespace corvane {
namespace {

// A results page in the layout of the service's old search page, written by
// hand: a header whose rows must be ignored, the "all categories" line, then
// one table row per album, some rows listing further links.
const char* const kPage =
    "<html><head><title>freedb.org - search</title></head><body>\r\n"
    "<table><tr><td><a href=\"http://www.example.org/freedb_search_fmt.php?cat=misc&id=00000000\">"
    "Header row</a></td></tr>\r\n"
    "<form><select name=cats><option>all categories</option></select></form>\r\n"
    "<table border=0>\r\n"
    "<tr><td><a href=\"http://www.example.org/freedb_search_fmt.php?cat=rock&id=a50c5c0d\">"
    "The Beatles / Help!</a></td></tr>\r\n"
    "<tr><td><a href=\"http://www.example.org/freedb_search_fmt.php?cat=misc&id=7b0d8a09\">"
    "Simon &amp; Garfunkel / Bookends</a><br><a "
    "href=\"http://www.example.org/freedb_search_fmt.php?cat=folk&id=7b0d8a0a\">Simon &amp; "
    "Garfunkel / Bookends (2)</a><br><a "
    "href=\"http://www.example.org/freedb_search_fmt.php?cat=data&id=7b0d8a0b\">Other</a>"
    "</td></tr>\r\n"
    "<tr><td><a href=\"http://www.example.org/freedb_search_fmt.php?cat=jazz&id=0f0e0d0c\">"
    "Caf\xE9 Society / Live</a></td></tr>\r\n"
    "<p>3 results</p></body></html>\r\n";

TEST(SearchResultsParserTest, ReadsTheRowsAfterTheCategoriesLine) {
    // Only the link that opens the row counts; a page in ISO-8859-1 still
    // gives UTF-8 titles.
    const std::string link = "http://www.example.org/freedb_search_fmt.php?cat=";
    const std::vector<SearchResult> results = ParseSearchPage(kPage);
    EXPECT_EQ(results,
              (std::vector<SearchResult>{
                  {link + "rock&id=a50c5c0d", "The Beatles / Help!", "rock", "a50c5c0d"},
                  {link + "misc&id=7b0d8a09", "Simon & Garfunkel / Bookends", "misc", "7b0d8a09"},
                  {link + "jazz&id=0f0e0d0c", "Café Society / Live", "jazz", "0f0e0d0c"}}));
    EXPECT_EQ(SearchResultDiscId(results.at(0)), 0xa50c5c0du);
    // Without the categories line nothing counts.
    EXPECT_TRUE(ParseSearchPage("<tr><td><a href=\"x?cat=rock&id=1\">A</a>\n").empty());
}

TEST(SearchResultsParserTest, DamagedRowsDoNotBreakTheParse) {
    const std::string page =
        "all categories\n"
        "<tr><td><a href=\n"                                // no quotes at all
        "<tr><td><a href=\"x?id=12\">No category</a>\n"     // no cat=
        "<tr><td><a href=\"x?cat=rock\">No id</a>\n"        // no id=
        "<tr><td><a href=\"x?cat=blues&id=ab\">Unclosed\n"  // no </a>
        "<br><a href=<br><a href=<br><a href=\n";           // separators only
    // No "&" after "cat=" gives no category either.
    EXPECT_EQ(ParseSearchPage(page),
              (std::vector<SearchResult>{{"", "", "", ""},
                                         {"x?id=12", "No category", "", "12"},
                                         {"x?cat=rock", "No id", "", ""},
                                         {"x?cat=blues&id=ab", "Unclosed", "blues", "ab"}}));
}

// Pages cut anywhere or filled with random markup never crash the parser, and
// every result it finds comes from a row that opens a table row.
TEST(SearchResultsParserTest, TruncatedAndRandomPagesAreHarmless) {
    const std::string page = kPage;
    for (std::size_t cut = 0; cut <= page.size(); ++cut) {
        EXPECT_LE(ParseSearchPage(page.substr(0, cut)).size(), 3u);
    }
    std::mt19937 random(7);
    std::vector<std::string> pieces = {"all categories",
                                       "<tr><td><a href=",
                                       "<br><a href=",
                                       "\"",
                                       "\">",
                                       "</a>",
                                       "cat=",
                                       "id=",
                                       "&",
                                       "\n",
                                       "x",
                                       "\xC3",
                                       "\r\n"};
    pieces.emplace_back(1, '\0');
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int i = 0; i < 40; ++i) {
            text += pieces[random() % pieces.size()];
        }
        for (const SearchResult& result : ParseSearchPage(text)) {
            EXPECT_LE(result.idText.size(), result.link.size());
            EXPECT_LE(result.category.size(), result.link.size());
        }
    }
}

TEST(SearchResultsParserTest, ReadsAPageFromAFileOrSaysWhyNot) {
    test::TempDir dir;
    const std::string path = dir.File("TMP1234.tmp");
    ASSERT_TRUE(test::WriteFileBytes(path, kPage));
    std::vector<SearchResult> results;
    std::string error;
    EXPECT_EQ(ParseSearchResults(path, results, error), kSearchPageRead);
    EXPECT_EQ(results.size(), 3u);

    ASSERT_TRUE(test::WriteFileBytes(path, "<html>all categories\nno results</html>"));
    EXPECT_EQ(ParseSearchResults(path, results, error), kSearchPageEmpty);
    results.resize(1);
    EXPECT_EQ(ParseSearchResults(dir.File("missing"), results, error), kSearchPageUnreadable);
    EXPECT_TRUE(results.empty());
}

TEST(SearchResultsParserTest, ResultLinesAreSortedAlphabetically) {
    const std::vector<SearchResult> sorted = SortedSearchResults(ParseSearchPage(kPage));
    ASSERT_EQ(sorted.size(), 3u);
    EXPECT_EQ(SearchResultLine(sorted[0]), "Café Society / Live - [0f0e0d0c]");
    EXPECT_EQ(SearchResultLine(sorted[1]), "Simon & Garfunkel / Bookends - [7b0d8a09]");
    EXPECT_EQ(SearchResultLine(sorted[2]), "The Beatles / Help! - [a50c5c0d]");
    // Lower-case ids read as their upper-case form would.
    SearchResult upper;
    upper.idText = "A50C5C0D";
    EXPECT_EQ(SearchResultDiscId(upper), SearchResultDiscId(sorted[2]));
}

}  // namespace
}  // namespace corvane
