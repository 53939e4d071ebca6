#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// Character classes and case mapping for the whole of Unicode (version of
// the generated tables: see UnicodeTables.inc), without ICU. Case mapping is
// the simple one-to-one mapping: ß stays ß in upper case, ς becomes Σ. The
// micro sign µ is left alone. Letter, mark and digit ranges reach to the
// end of the CJK extensions.

char32_t ToUpper(char32_t c);
char32_t ToLower(char32_t c);
// Upper case, except for the Latin digraphs (ǆ, ǉ, ǌ, ǳ), which have a title
// form of their own (ǅ, ǈ, ǋ, ǲ).
char32_t ToTitle(char32_t c);

bool IsLetter(char32_t c);  // general categories L*
bool IsMark(char32_t c);    // general categories M* (combining accents)
bool IsDigit(char32_t c);   // decimal digits, Nd
// A character that belongs inside a word: a letter, a combining mark (so a
// decomposed "é" stays one word) or a decimal digit.
bool IsWordChar(char32_t c);

// One character of a UTF-8 text. A byte that does not start a well-formed
// sequence is a character of its own with valid = false; it is kept as it
// is, so a name that is not UTF-8 survives every conversion.
struct Utf8Char {
    char32_t code = 0;
    std::size_t size = 0;  // bytes taken in the text
    bool valid = false;
};

// Reads the character at pos (pos < text.size()).
Utf8Char ReadUtf8Char(std::string_view text, std::size_t pos);

std::string ToUpperUtf8(std::string_view text);
std::string ToLowerUtf8(std::string_view text);

// Equality ignoring case (both sides lower-cased character by character).
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace corvane
