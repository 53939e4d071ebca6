#include "lookup/SearchWords.h"

#include <gtest/gtest.h>

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

TEST(SearchWordsTest, NormalizeKeywordsCleansPunctuationAndAccents) {
    EXPECT_EQ(NormalizeKeywords("Guns N' Roses", false), "GUNS N ROSES");
    EXPECT_EQ(NormalizeKeywords("Beyoncé - Déjà Vu", false), "BEYONCE  DEJA VU");
    EXPECT_EQ(NormalizeKeywords("àáâãäå ç èéêë ìíîï òóôõö ùúûü ý", false),
              "AAAAAA C EEEE IIII OOOOO UUUU Y");
    EXPECT_EQ(NormalizeKeywords("a*b_c.d[e]f(g)h'i~j:k;l@m#n&o/p", false),
              "A B C D E F G H I J K L M N O P");
    EXPECT_EQ(NormalizeKeywords("ñ ø œ", false), "Ñ Ø Œ");  // not in the list
    EXPECT_EQ(NormalizeKeywords("  spaced  ", false), "SPACED");
    EXPECT_EQ(NormalizeKeywords("Track 05.mp3", false), "TRACK 05 MP3");
    // Noise words go on request.
    EXPECT_EQ(NormalizeKeywords("01 - Intro.mp3", true), "INTRO MP");
    EXPECT_EQ(NormalizeKeywords("Track 05.mp3", true), "MP");
    EXPECT_EQ(NormalizeKeywords("Soundtrack 1999", true), "SOUND");
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

TEST(SearchWordsTest, SharesAreTakenWithTheSinglePrecisionConstant) {
    // 12 files at 100 % ask for 11 names: a text in 11 of them qualifies.
    TrackList files;
    for (int i = 0; i < 11; ++i) {
        files.push_back(File("Common Words " + std::to_string(i) + ".mp3"));
    }
    files.push_back(File("zzzz.mp3"));
    EXPECT_EQ(BuildSearchWords(files, 100), "COMMON WORDS MP");
    // 10 files at 90 % ask for 8.
    TrackList ten;
    for (int i = 0; i < 8; ++i) {
        ten.push_back(File("Shared Text " + std::to_string(i) + ".mp3"));
    }
    ten.push_back(File("qqqq.mp3"));
    ten.push_back(File("wwww.mp3"));
    EXPECT_EQ(BuildSearchWords(ten, 90), "SHARED TEXT MP");
    ten.pop_back();
    ten.push_back(File("Shared Text x.mp3"));
    ten.erase(ten.begin());
    ten.erase(ten.begin());
    // Now 7 of 9 share it, below 8 of 9 at 90 %.
    EXPECT_NE(BuildSearchWords(ten, 90), "SHARED TEXT MP");
}

TEST(SearchWordsTest, TheDialogNeedsThreeRealCharacters) {
    for (const char* words : {"- - -  ---", "A-B", "(_+)", "é-é"}) {
        EXPECT_FALSE(SearchWordsUsable(words)) << words;
    }
    for (const char* words : {"a b c", "éé é"}) {
        EXPECT_TRUE(SearchWordsUsable(words)) << words;
    }
}

TEST(SearchWordsTest, BuildsTheSearchAddress) {
    EXPECT_EQ(SearchWordsQuery("Guns N' Roses"), "GUNS+N+ROSES");
    EXPECT_EQ(SearchWordsQuery("  a   b  "), "A+B");
    EXPECT_EQ(SearchWordsQuery("AC/DC"), "AC+DC");
    EXPECT_EQ(SearchWordsQuery("100% Pure"), "100%25+PURE");
    EXPECT_EQ(SearchWordsQuery("Mötley Crüe"), "MOTLEY+CRUE");
    EXPECT_EQ(SearchWordsQuery("Mañana Кино"), "MA%C3%91ANA+%D0%9A%D0%98%D0%9D%D0%9E");
    EXPECT_EQ(SearchWordsQuery("a?b=c\"d"), "A%3FB%3DC%22D");
    EXPECT_EQ(KeywordSearchAddress("www.example.org", "Guns N' Roses"),
              "http://www.example.org/freedb_search.php?words=GUNS+N+ROSES"
              "&allfields=NO&fields=artist&fields=title&allcats=YES&grouping=none");
}

}  // namespace
}  // namespace corvane
