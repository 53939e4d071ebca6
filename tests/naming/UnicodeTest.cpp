#include "platform/Unicode.h"

#include <gtest/gtest.h>

#include "support/CaseTable.h"

namespace corvane {
namespace {

using test::ExpectEach;
using test::ExpectTable;

// Whole blocks are checked below; these are the letters outside them, what has no simple
// mapping, and bytes that are not UTF-8 (kept, even a truncated sequence at the end).
TEST(UnicodeTest, MapsCaseOfBicameralScriptsAndKeepsTheRest) {
    ExpectTable(ToUpperUtf8, {{"şţșțğı", "ŞŢȘȚĞI"},
                              {"ς ά", "Σ Ά"},
                              {"ǎ ơ ư", "Ǎ Ơ Ư"},
                              {"աբգ", "ԱԲԳ"},
                              {"ａｂｃ", "ＡＢＣ"},
                              {"ß µ", "ß µ"},
                              {"日本語 かな 123 !?", "日本語 かな 123 !?"},
                              {"caf\xE9 \xFF\xC3 x\x80y", "CAF\xE9 \xFF\xC3 X\x80Y"},
                              {"ab\xE2\x82", "AB\xE2\x82"}});
    ExpectTable(ToLowerUtf8, {{"ΣΟΦΙΑ ПРИВЕТ ЁЖ ЇЖАК Ў", "σοφια привет ёж їжак ў"},
                              {"ẞ", "ß"},
                              {"İ", "i"},
                              {"\xC3\xC9", "\xC3\xC9"}});
}

TEST(UnicodeTest, ClassifiesLettersDigitsAndMarks) {
    const auto letters = {U'a', U'Z', U'é', U'ß', U'Ω', U'ж', U'א', U'ع', U'日', U'か', U'한'};
    ExpectEach(IsLetter, letters, true);
    ExpectEach(IsWordChar, letters, true);
    ExpectEach(IsDigit, {U'0', U'9', U'٣', U'३'}, true);
    ExpectEach(IsLetter, {U'0', U'٣', U'\u0301'}, false);
    EXPECT_TRUE(IsMark(0x301));
    EXPECT_TRUE(IsWordChar(0x301));
    ExpectEach(IsWordChar, {U' ', U'-', U'.', U'\'', U'’', U'×', U'÷', U'«', U'…', U'♪', U'\u00A0'},
               false);
}

TEST(UnicodeTest, ComparesIgnoringCase) {
    EXPECT_TRUE(EqualsNoCase("Élan VITAL", "élan vital"));
    EXPECT_TRUE(EqualsNoCase("ΣΟΦΙΑ", "σοφια"));
    EXPECT_FALSE(EqualsNoCase("abc", "ab"));
    EXPECT_FALSE(EqualsNoCase("\xE9", "\xC9"));
}

TEST(UnicodeTest, CaseMappingRoundTripsOverWholeBlocks) {
    // Every lower-case letter of these blocks that has an upper form maps
    // back to itself, and upper-casing never turns a letter into a non-letter.
    const std::pair<char32_t, char32_t> blocks[] = {
        {0x00E0, 0x00FE}, {0x0100, 0x017F}, {0x03B1, 0x03C9}, {0x0430, 0x045F}, {0x1E00, 0x1EFF}};
    int mapped = 0;
    for (auto [first, last] : blocks) {
        for (char32_t c = first; c <= last; ++c) {
            const char32_t upper = ToUpper(c);
            if (upper == c || c == 0x131 || c == 0x17F || c == 0x3C2 || c == 0x1E9B) {
                continue;
            }
            ++mapped;
            EXPECT_TRUE(IsLetter(upper)) << std::hex << static_cast<unsigned>(c);
            EXPECT_EQ(ToLower(upper), c) << std::hex << static_cast<unsigned>(c);
        }
    }
    EXPECT_GT(mapped, 250);
}

}  // namespace
}  // namespace corvane
