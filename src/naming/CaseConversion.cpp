#include "naming/CaseConversion.h"

#include <string_view>

#include "naming/NameFormat.h"
#include "platform/Unicode.h"
#include "platform/Utf8.h"

namespace corvane {

namespace {

// Brackets, quotes and the separators people put between words ("Final|Pipe",
// "<No. 2>", "Artist/Title") start a word as a space does; the characters the
// name clean-up later turns into "_" must too, or the case would change with it.
bool StartsWord(char32_t c) {
    constexpr std::u32string_view kStarters = U" ([{<\".;|/-_";
    return kStarters.find(c) != std::u32string_view::npos;
}

}  // namespace

std::string Capitalize(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool wordStart = true;
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Char ch = ReadUtf8Char(text, pos);
        if (!ch.valid) {
            out += text[pos];
        } else if (wordStart && IsLetter(ch.code)) {
            AppendUtf8(out, ToTitle(ch.code));
        } else {
            out.append(text.substr(pos, ch.size));
        }
        wordStart = ch.valid && StartsWord(ch.code);
        pos += ch.size;
    }
    return out;
}

std::string ConvertCase(std::string_view text, std::string_view caseMode) {
    if (caseMode == kCaseCapitalized) {
        return Capitalize(ToLowerUtf8(text));
    }
    if (caseMode == kCaseUpper) {
        return ToUpperUtf8(text);
    }
    if (caseMode == kCaseLower) {
        return ToLowerUtf8(text);
    }
    if (caseMode == kCaseSpaceToUnderscore) {
        return ReplaceAll(text, " ", "_");
    }
    if (caseMode == kCaseUnderscoreToSpace) {
        return ReplaceAll(text, "_", " ");
    }
    return std::string(text);
}

}  // namespace corvane
