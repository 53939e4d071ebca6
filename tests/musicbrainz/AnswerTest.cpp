// Answers of the disc id lookup, written by hand in the service's JSON shape,
// through the parse, the medium choice and the album record.
#include <gtest/gtest.h>
#include <taglib/id3v1genres.h>

#include <cctype>
#include <string>

#include "album/Id3Genres.h"
#include "cddb/CddbAgent.h"
#include "musicbrainz/AnswerParser.h"
#include "musicbrainz/ReleaseRecord.h"

namespace corvane {
namespace {

// The files: three tracks of 200, 150 and 100 seconds.
const DiscToc kToc{1, 3, 33900, {150, 15150, 26400}};
constexpr const char* kFilesId = "FilesDiscId";

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : "; ") + part;
    }
    return text;
}

// One line per release: what the Select Disk dialog shows, then the record
// the chosen medium gives and the track lengths the database list shows.
std::string Summary(const MbAnswer& answer) {
    std::string text = answer.discId.empty() ? "fuzzy\n" : "exact " + answer.discId + "\n";
    for (const MbRelease& release : answer.releases) {
        text += ReleaseLine(release);
        const MbMedium* medium = ChooseMedium(release, kToc, kFilesId);
        if (medium == nullptr) {
            text += " | no medium\n";
            continue;
        }
        const DiscRecord record = ToDiscRecord(release, *medium, kToc);
        std::string lengths;
        for (const std::uint32_t seconds : TrackLengths(record)) {
            lengths += (lengths.empty() ? "" : " ") + std::to_string(seconds);
        }
        text += " | " + record.artist + " - " + record.album + " | " + std::to_string(record.year) +
                " | " + record.genre + " | " + Joined(record.trackTitles) +
                (record.trackArtists.empty() ? "" : " | by " + Joined(record.trackArtists)) +
                " | " + lengths + " | " + record.extendedData + "\n";
    }
    return text;
}

struct AnswerCase {
    const char* name;
    std::string text;
    MbParseResult result;
    std::string expected;  // the summary, or the error text
};

std::string TenMegabytes() {
    std::string text = R"({"releases":[)";
    while (text.size() < 10 * 1024 * 1024) {
        text += R"({"id":"r","title":"Padding padding padding padding","media":[]},)";
    }
    return text + R"({"id":"last"}]})";
}

const AnswerCase kCases[] = {
    {"ExactDisc",
     R"({"id":"FilesDiscId","offset-count":3,"sectors":33900,"offsets":[150,15150,26400],
        "releases":[{"id":"r-1","title":"Días: Vol 1","status":"Official","date":"1999-05-04",
          "country":"ES",
          "artist-credit":[{"name":"Los Niños","joinphrase":" & ","artist":{"name":"Los Niños"}},
                           {"joinphrase":" feat. ","artist":{"name":"Ana"}},
                           {"name":"Bo","joinphrase":""}],
          "release-group":{"id":"g","primary-type":"Album","genres":[
            {"name":"latin","count":2},{"name":"hip hop","count":5},{"name":"rap","count":5}]},
          "media":[{"position":1,"format":"CD","track-count":3,
            "discs":[{"id":"FilesDiscId","sectors":33900}],
            "tracks":[
              {"position":1,"number":"1","title":"Café","length":200000,
               "artist-credit":[{"name":"Los Niños","joinphrase":" & "},
                                {"name":"Ana","joinphrase":" feat. "},{"name":"Bo"}]},
              {"position":3,"number":"3","title":"","length":100000,
               "recording":{"title":"Last \"One\"","length":99000}},
              {"position":2,"number":"2","title":"Why?","length":150000}]}]}]})",
     MbParseResult::kReleases,
     "exact FilesDiscId\n"
     "Los Niños & Ana feat. Bo / Días: Vol 1 (1999, ES, CD) | Los Niños & Ana feat. Bo - Días: "
     "Vol 1 | 1999 | Hip-Hop | Café; Why?; Last \"One\" | 202 150 100 | MusicBrainz release r-1\n"},
    {"FuzzyList",
     R"({"release-count":3,"release-offset":0,"releases":[
        {"id":"r-2","title":"Loveless","date":"1991-11","country":"GB",
         "artist-credit":[{"name":"Band"}],"release-group":{"genres":[]},
         "genres":[{"name":"shoegaze","count":1}],
         "media":[{"position":1,"format":"CD","tracks":[
           {"title":"a","length":199000},{"title":"b","length":151000},{"title":"c","length":100000}]}]},
        7,
        {"id":"r-3","title":"Floral","date":"2011","artist-credit":[{"name":"Macintosh"}],
         "release-group":{"genres":[{"name":"vaporwave","count":3}]},
         "media":[{"position":1,"format":"Digital Media","tracks":[
           {"title":"x","length":200000},{"title":"y","length":150000},{"title":"z","length":100000}]}]},
        {"id":"r-4","title":"Nothing On It","artist-credit":[{"name":"N"}],"media":[]}]})",
     MbParseResult::kReleases,
     "fuzzy\n"
     "Band / Loveless (1991, GB, CD) | Band - Loveless | 1991 | Shoegaze | a; b; c | 201 151 100 | "
     "MusicBrainz release r-2\n"
     "Macintosh / Floral (2011, Digital Media) | Macintosh - Floral | 2011 | vaporwave | x; y; z | "
     "202 150 100 | MusicBrainz release r-3\n"
     "N / Nothing On It | no medium\n"},
    {"TwoDiscsTheOneWithTheDiscId",
     R"({"id":"FilesDiscId","releases":[{"id":"r-5","title":"Double","date":"2001","country":"US",
        "artist-credit":[{"name":"D"}],"media":[
          {"position":1,"format":"CD","discs":[{"id":"OtherDisc"}],"tracks":[
            {"title":"one","length":200000},{"title":"two","length":150000},{"title":"three","length":100000}]},
          {"position":2,"format":"CD","discs":[{"id":"FilesDiscId"}],"tracks":[
            {"title":"four","length":90000},{"title":"five","length":90000},{"title":"six","length":90000}]}]}]})",
     MbParseResult::kReleases,
     "exact FilesDiscId\n"
     "D / Double (2001, US, 2×CD) | D - Double | 2001 |  | four; five; six | 92 90 90 | "
     "MusicBrainz release r-5, disc 2 of 2\n"},
    {"TwoDiscsWithoutIdsTheRightCountClosestInLength",
     R"({"releases":[{"id":"r-6","title":"Box","artist-credit":[{"name":"B"}],"media":[
          {"position":1,"format":"CD","tracks":[{"title":"a","length":200000},{"title":"b","length":150000}]},
          {"position":2,"format":"CD","tracks":[
            {"title":"c","length":60000},{"title":"d","length":60000},{"title":"e","length":60000}]},
          {"position":3,"format":"DVD-Video","tracks":[
            {"title":"f","length":190000},{"title":"g","length":160000},{"title":"h","length":100000}]}]}]})",
     MbParseResult::kReleases,
     "fuzzy\n"
     "B / Box (2×CD + DVD-Video) | B - Box | 0 |  | f; g; h | 192 160 100 | "
     "MusicBrainz release r-6, disc 3 of 3\n"},
    {"Compilation",
     R"({"releases":[{"id":"r-7","title":"Hits","date":"1985-01-01","country":"XE",
        "artist-credit":[{"name":"Various Artists"}],"media":[{"position":1,"format":"CD","tracks":[
          {"title":"a","length":200000,"artist-credit":[{"name":"Alpha"}]},
          {"title":"b","length":150000,"recording":{"artist-credit":[{"name":"Beta"}]}},
          {"title":"c","length":100000}]}]}]})",
     MbParseResult::kReleases,
     "fuzzy\n"
     "Various Artists / Hits (1985, XE, CD) | Various Artists - Hits | 1985 |  | a; b; c | "
     "by Alpha; Beta; Various Artists | 202 150 100 | MusicBrainz release r-7\n"},
    {"NoDateNoGenreNoLengths",
     R"({"releases":[{"id":"r-8","title":"Demo","date":"","artist-credit":[{"name":"Q"}],
        "release-group":{},"media":[{"position":1,"format":"CD","tracks":[
          {"title":"a","length":null},{"title":"b"},{"title":"c","length":"long"}]}]}]})",
     MbParseResult::kReleases,
     "fuzzy\nQ / Demo (CD) | Q - Demo | 0 |  | a; b; c | 202 150 100 | MusicBrainz release r-8\n"},
    {"ErrorObject",
     R"({"error":"Not Found","help":"For usage, please see: https://musicbrainz.org/development/mmd"})",
     MbParseResult::kError, "Not Found"},
    {"HtmlPage", "<html><body>502 Bad Gateway</body></html>", MbParseResult::kGarbage,
     "the answer is not a JSON object"},
    {"CutOff", R"({"releases":[{"id":"r-9","title":"Cut)", MbParseResult::kGarbage,
     "the answer is not a JSON object"},
    // Eight megabytes of brackets, refused before a tree is built of them.
    {"DeepNesting", std::string(4 << 20, '[') + std::string(4 << 20, ']'), MbParseResult::kGarbage,
     "the answer is nested deeper than 64 levels"},
    {"NoReleaseList", R"({"release-count":0,"releases":"none"})", MbParseResult::kGarbage,
     "the answer holds no release list"},
    {"TenMegabytes", TenMegabytes(), MbParseResult::kGarbage,
     "the answer is longer than 8388608 bytes"},
};

class AnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerTest, ParsesToTheReleasesAndRecords) {
    const AnswerCase& c = GetParam();
    MbAnswer answer;
    std::string error;
    ASSERT_EQ(ParseMusicBrainzAnswer(c.text, answer, error), c.result) << error;
    EXPECT_EQ(c.result == MbParseResult::kReleases ? Summary(answer) : error, c.expected);
}

INSTANTIATE_TEST_SUITE_P(MusicBrainz, AnswerTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Spelt as the tag writer's list spells them, so that the ID3v1 genre number
// is found; MusicBrainz writes them in lower case.
TEST(Id3Genres, EveryNameOfTheTagLibrarysListIsFound) {
    for (const TagLib::String& name : TagLib::ID3v1::genreList()) {
        const std::string spelt = name.to8Bit(true);
        std::string lower = spelt;
        for (char& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        EXPECT_EQ(Id3GenreSpelling(lower), spelt);
    }
    EXPECT_EQ(Id3GenreSpelling("drum and bass"), "Drum & Bass");
    EXPECT_EQ(Id3GenreSpelling("vaporwave"), "");
}

}  // namespace
}  // namespace corvane
