#include "lookup/SearchWords.h"

#include <gtest/gtest.h>

#include "support/CaseTable.h"

namespace corvane {
namespace {

TrackInfo File(const std::string& name, const std::string& artist = "",
               const std::string& album = "") {
    TrackInfo file;
    file.fileName = name;
    file.artist = artist;
    file.album = album;
    return file;
}

// Noise words go on request; letters outside the accent list stay.
TEST(SearchWordsTest, NormalizeKeywordsCleansPunctuationAndAccents) {
    const auto keep = [](const std::string& text) { return NormalizeKeywords(text, false); };
    test::ExpectTable(keep, {{"Guns N' Roses", "GUNS N ROSES"},
                             {"Beyoncé - Déjà Vu", "BEYONCE  DEJA VU"},
                             {"àáâãäå ç èéêë ìíîï òóôõö ùúûü ý", "AAAAAA C EEEE IIII OOOOO UUUU Y"},
                             {"a*b_c.d[e]f(g)h'i~j:k;l@m#n&o/p", "A B C D E F G H I J K L M N O P"},
                             {"ñ ø œ", "Ñ Ø Œ"},
                             {"Track 05.mp3", "TRACK 05 MP3"}});
    const auto drop = [](const std::string& text) { return NormalizeKeywords(text, true); };
    test::ExpectTable(
        drop,
        {{"01 - Intro.mp3", "INTRO MP"}, {"Track 05.mp3", "MP"}, {"Soundtrack 1999", "SOUND"}});
}

TEST(SearchWordsTest, ProposesTheSharedPartOfNamesOrTheTags) {
    const struct {
        TrackList files;
        const char* words;
    } cases[] = {
        {{File("01 - Intro.mp3"), File("02 - Outro.mp3")}, "INTRO MP"},
        {{File("01.mp3", "Some Band", "Live"), File("02.mp3")}, "SOME BAND LIVE"},
        // The last non-empty tags win.
        {{File("a.mp3", "Old", "First"), File("b.mp3", "New", ""), File("c.mp3")}, "NEW FIRST"},
        // Single characters between blanks are dropped.
        {{File("1.mp3", "Peter A Smith")}, "PETER SMITH"},
        // The text is shortened until enough names share it.
        {{File("Pink Floyd - The Wall - 01 - In the Flesh.mp3"),
          File("Pink Floyd - The Wall - 02 - Thin Ice.mp3"),
          File("Pink Floyd - The Wall - 03 - Another Brick.mp3")},
         "PINK FLOYD THE WALL"},
        // First words of the first name shared by none are dropped.
        {{File("Intro Pink Floyd.mp3"), File("x Pink Floyd.mp3"), File("y Pink Floyd.mp3")},
         "PINK FLOYD MP"},
        {{File("01 - Only Song.mp3")}, "ONLY SONG MP"},
        // Nothing shared, or no files: the search gives up without hanging.
        {{File("abcd.mp3"), File("efgh.mp3"), File("ijkl.mp3")}, ""},
        {{}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildSearchWords(c.files, 100), c.words);
    }
}

// The share is taken with the single precision constant: 12 files at 100 % ask for 11 names,
// 10 files at 90 % for 8 and 9 files at 90 % for 8 too.
TEST(SearchWordsTest, SharesAreTakenWithTheSinglePrecisionConstant) {
    const auto files = [](int sharing, int others) {
        TrackList list;
        for (int i = 0; i < sharing + others; ++i) {
            list.push_back(File(i < sharing
                                    ? "Common Words " + std::to_string(i) + ".mp3"
                                    : std::string(4, static_cast<char>('q' + i % 8)) + ".mp3"));
        }
        return list;
    };
    EXPECT_EQ(BuildSearchWords(files(11, 1), 100), "COMMON WORDS MP");
    EXPECT_EQ(BuildSearchWords(files(8, 2), 90), "COMMON WORDS MP");
    EXPECT_NE(BuildSearchWords(files(7, 2), 90), "COMMON WORDS MP");
}

TEST(SearchWordsTest, TheDialogNeedsThreeRealCharacters) {
    test::ExpectEach(SearchWordsUsable, {"- - -  ---", "A-B", "(_+)", "é-é"}, false);
    test::ExpectEach(SearchWordsUsable, {"a b c", "éé é"}, true);
}

TEST(SearchWordsTest, BuildsTheSearchAddress) {
    test::ExpectTable(SearchWordsQuery, {{"Guns N' Roses", "GUNS+N+ROSES"},
                                         {"100% Pure", "100%25+PURE"},
                                         {"Mötley Crüe", "MOTLEY+CRUE"},
                                         {"Mañana Кино", "MA%C3%91ANA+%D0%9A%D0%98%D0%9D%D0%9E"},
                                         {"a?b=c\"d", "A%3FB%3DC%22D"}});
    EXPECT_EQ(KeywordSearchAddress("www.example.org", "Guns N' Roses"),
              "http://www.example.org/freedb_search.php?words=GUNS+N+ROSES"
              "&allfields=NO&fields=artist&fields=title&allcats=YES&grouping=none");
}

}  // namespace
}  // namespace corvane
