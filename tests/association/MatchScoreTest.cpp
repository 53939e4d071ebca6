#include "association/MatchScore.h"

#include <gtest/gtest.h>

#include "platform/Utf8.h"

namespace corvane {
namespace {

std::string Normalized(std::string text) {
    NormalizeForMatch(text);
    return text;
}

TEST(MatchScoreTest, NormalizeKeepsWordsOfAnyScriptBetweenSingleSpaces) {
    EXPECT_EQ(Normalized("  (Hello),  World!  "), "Hello World");
    EXPECT_EQ(Normalized("a----------------b"), "a b");
    EXPECT_EQ(Normalized("#$%&"), "");
    EXPECT_EQ(Normalized("Ωδή: στη «ζωή»"), "Ωδή στη ζωή");
    EXPECT_EQ(Normalized("日本・語"), "日本 語");
    // A decomposed é (e + combining acute) stays one word.
    EXPECT_EQ(Normalized("Cafe\xCC\x81 noir"), "Cafe\xCC\x81 noir");
    // A byte that is not UTF-8 separates words, and the rest stays intact.
    EXPECT_EQ(Normalized("caf\xE9 \xC3\xA9t\xE9"), "caf \xC3\xA9t");
}

TEST(MatchScoreTest, WordsAreSplitAtSpacesAfterTheFirstCharacter) {
    EXPECT_EQ(CountWords(""), 1);
    EXPECT_EQ(CountWords(" 05 SONG"), 2);  // the leading space separates nothing
    EXPECT_EQ(CountWords("A  B"), 3);
    EXPECT_EQ(GetWord(" 05 SONG", 0), "05");
    EXPECT_EQ(GetWord("A  B", 1), "");
    EXPECT_EQ(GetWord("A  B", 2), "B");
    EXPECT_EQ(GetWord("A B", 2), "");
    EXPECT_EQ(GetWord("A B", -1), "");
}

TEST(MatchScoreTest, FileSidesLoseExtensionAndTrackWords) {
    EXPECT_EQ(PrepareFileSide("Track 05 Song.mp3"), " 05 SONG");
    EXPECT_EQ(PrepareFileSide("soundtrack.MP3.mp3"), "SOUND");
    EXPECT_EQ(PrepareFileSide("été.mp3"), "ÉTÉ");
    EXPECT_EQ(PrepareTitleSide("Let It Be"), "LET IT BE");
}

TEST(MatchScoreTest, ScoresTheShareOfMatchedCharacters) {
    EXPECT_EQ(ScoreMatch("03 - let it be.mp3", "Let It Be"), 100);
    EXPECT_EQ(ScoreMatch("Bitter.mp3", "It"), 100);  // words match as substrings
    // Four characters of "AB CD" (divisor 4): AB found, CD not.
    EXPECT_EQ(ScoreMatch("ab xy zz.mp3", "AB CD"), 50);
    EXPECT_EQ(ScoreMatch("hello.mp3", "goodbye"), 0);
    // Equal word counts: the shorter side is compared with the longer one.
    EXPECT_EQ(ScoreMatch("love.mp3", "Lovely"), 100);
    EXPECT_EQ(ScoreMatch("Lovely.mp3", "love"), 100);
    EXPECT_EQ(ScoreMatch("été indien.mp3", "Été Indien"), 100);
    EXPECT_EQ(ScoreMatch("Кино.mp3", "кино"), 100);
    // Nothing to compare scores zero.
    EXPECT_EQ(ScoreMatch("Track.mp3", "Anything"), 0);
    EXPECT_EQ(ScoreMatch("song.mp3", "?!..."), 0);
    EXPECT_EQ(ScoreMatch("", ""), 0);
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
