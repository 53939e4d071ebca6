#include "naming/CaseConversion.h"

#include <gtest/gtest.h>

#include "support/CaseTable.h"

namespace corvane {
namespace {

using test::ExpectTable;

// Bytes that are not UTF-8 stay as they are; a stray byte at a word start is no letter.
TEST(CaseConversionTest, CapitalizeRaisesLettersAtWordStarts) {
    ExpectTable(Capitalize, {{"01 - my song (live)", "01 - My Song (Live)"},
                             {"rock'n'roll", "Rock'n'roll"},
                             {"a-ha", "A-Ha"},
                             {"don't stop", "Don't Stop"},
                             {"final|pipe <no. 2> \"quoted\" a/b c_d",
                              "Final|Pipe <No. 2> \"Quoted\" A/B C_D"},
                             {"mp3.file", "Mp3.File"},
                             {"x[y{z;w", "X[Y{Z;W"},
                             {"été à paris", "Été À Paris"},
                             {"ßtraße", "ßtraße"},
                             {"кино (группа)", "Кино (Группа)"},
                             {"\u01C6ungla", "\u01C5ungla"},  // a digraph takes its title case
                             {"caf\xE9 ol\xE9", "Caf\xE9 Ol\xE9"},
                             {"\xE9t\xE9", "\xE9t\xE9"},
                             {"", ""}});
}

// The modes by their combo texts, which are exact.
TEST(CaseConversionTest, ModesByTheirComboText) {
    const std::string text = "été_à PARIS";
    ExpectTable([&](const std::string& mode) { return ConvertCase(text, mode); },
                {{kCaseDoNothing, text},
                 {"", text},
                 {"upper case", text},
                 {kCaseCapitalized, "Été_À Paris"},
                 {kCaseUpper, "ÉTÉ_À PARIS"},
                 {kCaseLower, "été_à paris"},
                 {kCaseSpaceToUnderscore, "été_à_PARIS"},
                 {kCaseUnderscoreToSpace, "été à PARIS"}});
    EXPECT_EQ(ConvertCase("caf\xE9 ol\xE9", kCaseUpper), "CAF\xE9 OL\xE9");
}

}  // namespace
}  // namespace corvane
