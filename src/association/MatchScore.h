#pragma once

#include <string>
#include <string_view>

namespace corvane {

// Word-overlap similarity between a file (its name or title tag) and a track
// title. Letters, digits and combining marks of any script count as word
// characters; upper-casing is Unicode-aware.

// Turns every character that is not a word character into a space and shrinks
// the runs of spaces that this makes, then trims both ends.
void NormalizeForMatch(std::string& text);

// Words are separated by single spaces; a space at position 0 separates
// nothing. An empty text has one (empty) word.
int CountWords(std::string_view text);
// Word i, trimmed; empty beyond the last word.
std::string GetWord(std::string_view text, int index);

// Similarity in percent, 0 to 100: the share of the characters of the side
// with fewer words that occur, word by word, in the other side. 0 when that
// side has nothing to compare.
int ScoreMatch(std::string_view fileSide, std::string_view titleSide);

// The two halves of ScoreMatch, for callers that score one text many times:
// the prepared forms give ScorePrepared the same result as ScoreMatch.
std::string PrepareFileSide(std::string_view fileSide);
std::string PrepareTitleSide(std::string_view titleSide);
int ScorePrepared(std::string_view fileSide, std::string_view titleSide);

}  // namespace corvane
