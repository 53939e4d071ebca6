#include "naming/CaseConversion.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(CaseConversionTest, CapitalizeRaisesLettersAtWordStarts) {
    EXPECT_EQ(Capitalize("01 - my song (live)"), "01 - My Song (Live)");
    EXPECT_EQ(Capitalize("rock'n'roll"), "Rock'n'roll");
    EXPECT_EQ(Capitalize("a-ha"), "A-Ha");
    EXPECT_EQ(Capitalize("don't stop"), "Don't Stop");
    EXPECT_EQ(Capitalize("final|pipe <no. 2> \"quoted\" a/b c_d"),
              "Final|Pipe <No. 2> \"Quoted\" A/B C_D");
    EXPECT_EQ(Capitalize("mp3.file"), "Mp3.File");
    EXPECT_EQ(Capitalize("x[y{z;w"), "X[Y{Z;W");
    EXPECT_EQ(Capitalize("été à paris"), "Été À Paris");
    EXPECT_EQ(Capitalize("ßtraße"), "ßtraße");
    EXPECT_EQ(Capitalize("кино (группа)"), "Кино (Группа)");
    EXPECT_EQ(Capitalize("\u01C6ungla"), "\u01C5ungla");  // a digraph takes its title case
    EXPECT_EQ(Capitalize(""), "");
}

TEST(CaseConversionTest, ModesByTheirComboText) {
    const std::string text = "été_à PARIS";
    EXPECT_EQ(ConvertCase(text, kCaseDoNothing), text);
    EXPECT_EQ(ConvertCase(text, ""), text);
    EXPECT_EQ(ConvertCase(text, "upper case"), text);  // the texts are exact
    EXPECT_EQ(ConvertCase(text, kCaseCapitalized), "Été_À Paris");
    EXPECT_EQ(ConvertCase(text, kCaseUpper), "ÉTÉ_À PARIS");
    EXPECT_EQ(ConvertCase(text, kCaseLower), "été_à paris");
    EXPECT_EQ(ConvertCase(text, kCaseSpaceToUnderscore), "été_à_PARIS");
    EXPECT_EQ(ConvertCase(text, kCaseUnderscoreToSpace), "été à PARIS");
}

TEST(CaseConversionTest, BytesThatAreNotUtf8StayAsTheyAre) {
    const std::string latin1 = "caf\xE9 ol\xE9";
    EXPECT_EQ(ConvertCase(latin1, kCaseUpper), "CAF\xE9 OL\xE9");
    EXPECT_EQ(ConvertCase(latin1, kCaseCapitalized), "Caf\xE9 Ol\xE9");
    // A stray byte at a word start is no letter and ends the word start.
    EXPECT_EQ(Capitalize("\xE9t\xE9"), "\xE9t\xE9");
}

}  // namespace
}  // namespace corvane
