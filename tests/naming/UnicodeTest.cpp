#include "platform/Unicode.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// Whole blocks are checked below; these are the letters outside them.
TEST(UnicodeTest, MapsCaseOfBicameralScripts) {
    EXPECT_EQ(ToUpperUtf8("şţșțğı"), "ŞŢȘȚĞI");
    EXPECT_EQ(ToUpperUtf8("ς ά"), "Σ Ά");
    EXPECT_EQ(ToLowerUtf8("ΣΟΦΙΑ ПРИВЕТ ЁЖ ЇЖАК Ў"), "σοφια привет ёж їжак ў");
    EXPECT_EQ(ToUpperUtf8("ǎ ơ ư"), "Ǎ Ơ Ư");    // Vietnamese
    EXPECT_EQ(ToUpperUtf8("աբգ"), "ԱԲԳ");        // Armenian
    EXPECT_EQ(ToUpperUtf8("ａｂｃ"), "ＡＢＣ");  // full width
}

TEST(UnicodeTest, KeepsWhatHasNoSimpleMapping) {
    EXPECT_EQ(ToUpperUtf8("ß"), "ß");
    EXPECT_EQ(ToLowerUtf8("ẞ"), "ß");
    EXPECT_EQ(ToUpperUtf8("µ"), "µ");
    EXPECT_EQ(ToUpperUtf8("日本語 かな 123 !?"), "日本語 かな 123 !?");
    EXPECT_EQ(ToLowerUtf8("İ"), "i");
}

TEST(UnicodeTest, InvalidBytesSurviveUnchanged) {
    const std::string latin1Name = "caf\xE9 \xFF\xC3 x\x80y";
    EXPECT_EQ(ToUpperUtf8(latin1Name), "CAF\xE9 \xFF\xC3 X\x80Y");
    EXPECT_EQ(ToLowerUtf8("\xC3\xC9"), "\xC3\xC9");
    // A truncated sequence at the end stays as it is.
    EXPECT_EQ(ToUpperUtf8("ab\xE2\x82"), "AB\xE2\x82");
}

TEST(UnicodeTest, ClassifiesLettersDigitsAndMarks) {
    for (char32_t c : {U'a', U'Z', U'é', U'ß', U'Ω', U'ж', U'א', U'ع', U'日', U'か', U'한'}) {
        EXPECT_TRUE(IsLetter(c)) << static_cast<unsigned>(c);
        EXPECT_TRUE(IsWordChar(c));
    }
    for (char32_t c : {U'0', U'9', U'٣', U'३'}) {
        EXPECT_TRUE(IsDigit(c)) << static_cast<unsigned>(c);
        EXPECT_FALSE(IsLetter(c));
    }
    EXPECT_TRUE(IsMark(0x301));
    EXPECT_TRUE(IsWordChar(0x301));
    for (char32_t c : {U' ', U'-', U'.', U'\'', U'’', U'×', U'÷', U'«', U'…', U'♪', U'\u00A0'}) {
        EXPECT_FALSE(IsWordChar(c)) << static_cast<unsigned>(c);
    }
}

TEST(UnicodeTest, ComparesIgnoringCase) {
    EXPECT_TRUE(EqualsNoCase("Élan VITAL", "élan vital"));
    EXPECT_TRUE(EqualsNoCase("ΣΟΦΙΑ", "σοφια"));
    EXPECT_FALSE(EqualsNoCase("abc", "abd"));
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
