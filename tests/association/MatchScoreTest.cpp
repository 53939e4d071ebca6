#include "association/MatchScore.h"

#include <gtest/gtest.h>

#include "platform/Utf8.h"
#include "support/CaseTable.h"

namespace corvane {
namespace {

using test::ExpectTable;

// A decomposed é (e + combining acute) stays one word; a byte that is not UTF-8 separates
// words, and the rest stays intact.
TEST(MatchScoreTest, NormalizeKeepsWordsOfAnyScriptBetweenSingleSpaces) {
    const auto normalized = [](std::string text) {
        NormalizeForMatch(text);
        return text;
    };
    ExpectTable(normalized, {{"  (Hello),  World!  ", "Hello World"},
                             {"a----------------b", "a b"},
                             {"#$%&", ""},
                             {"Ωδή: στη «ζωή»", "Ωδή στη ζωή"},
                             {"日本・語", "日本 語"},
                             {"Cafe\xCC\x81 noir", "Cafe\xCC\x81 noir"},
                             {"caf\xE9 \xC3\xA9t\xE9", "caf \xC3\xA9t"}});
}

// A leading space separates nothing.
TEST(MatchScoreTest, WordsAreSplitAtSpacesAfterTheFirstCharacter) {
    ExpectTable<int>(CountWords, {{"", 1}, {" 05 SONG", 2}, {"A  B", 3}});
    EXPECT_EQ(GetWord(" 05 SONG", 0), "05");
    EXPECT_EQ(GetWord("A  B", 1), "");
    EXPECT_EQ(GetWord("A  B", 2), "B");
    EXPECT_EQ(GetWord("A B", 2), "");
    EXPECT_EQ(GetWord("A B", -1), "");
}

TEST(MatchScoreTest, FileSidesLoseExtensionAndTrackWords) {
    ExpectTable(
        PrepareFileSide,
        {{"Track 05 Song.mp3", " 05 SONG"}, {"soundtrack.MP3.mp3", "SOUND"}, {"été.mp3", "ÉTÉ"}});
    EXPECT_EQ(PrepareTitleSide("Let It Be"), "LET IT BE");
}

// Words match as substrings; with equal word counts the shorter side is compared with the
// longer one; nothing to compare scores zero.
TEST(MatchScoreTest, ScoresTheShareOfMatchedCharacters) {
    using Sides = std::pair<std::string, std::string>;
    const auto score = [](const Sides& sides) { return ScoreMatch(sides.first, sides.second); };
    ExpectTable<int, Sides>(score, {{{"03 - let it be.mp3", "Let It Be"}, 100},
                                    {{"Bitter.mp3", "It"}, 100},
                                    {{"ab xy zz.mp3", "AB CD"}, 50},  // 2 of 4 characters
                                    {{"hello.mp3", "goodbye"}, 0},
                                    {{"love.mp3", "Lovely"}, 100},
                                    {{"Lovely.mp3", "love"}, 100},
                                    {{"été indien.mp3", "Été Indien"}, 100},
                                    {{"Кино.mp3", "кино"}, 100},
                                    {{"Track.mp3", "Anything"}, 0},
                                    {{"song.mp3", "?!..."}, 0},
                                    {{"", ""}, 0}});
}

TEST(MatchScoreTest, OnlyTheStartOfHugeTextsIsCompared) {
    // A hostile tag: a megabyte of letters between ever new punctuation marks.
    std::string huge;
    for (char32_t mark = 0; huge.size() < (1u << 20); mark = (mark + 1) % 0x50) {
        huge += "a";
        AppendUtf8(huge, 0x2E00 + mark);
    }
    EXPECT_LE(PrepareFileSide(huge).size(), 1024u);
    EXPECT_LE(PrepareTitleSide(huge).size(), 1024u);
    EXPECT_EQ(ScoreMatch(huge, "A"), 100);
}

}  // namespace
}  // namespace corvane
