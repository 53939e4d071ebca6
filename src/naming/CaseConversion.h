#pragma once

#include <array>
#include <string>
#include <string_view>

namespace corvane {

// The texts of the Convert Case combo box, in their order there.
inline constexpr const char* kCaseDoNothing = "Do nothing";
inline constexpr const char* kCaseCapitalized = "Capitalized";
inline constexpr const char* kCaseUpper = "Upper Case";
inline constexpr const char* kCaseLower = "Lower Case";
inline constexpr const char* kCaseSpaceToUnderscore = "Space to Underscore";
inline constexpr const char* kCaseUnderscoreToSpace = "Underscore to Space";
inline constexpr std::array<const char*, 6> kCaseModes = {
    kCaseDoNothing, kCaseCapitalized,       kCaseUpper,
    kCaseLower,     kCaseSpaceToUnderscore, kCaseUnderscoreToSpace};

// Applies the case mode named by its combo text; an unknown text (or none)
// leaves the text as it is. Letters beyond ASCII are converted too.
std::string ConvertCase(std::string_view text, std::string_view caseMode);

// Raises the first letter of every word. A word starts at the beginning and
// after a space, "(", "[", "{", "<", "\"", ".", ";", "|", "/", "-" or "_" --
// not after an apostrophe, so "rock'n'roll" gives "Rock'n'roll" and "don't"
// gives "Don't", while "a-ha" gives "A-Ha".
std::string Capitalize(std::string_view text);

}  // namespace corvane
