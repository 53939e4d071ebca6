#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "album/TrackInfo.h"

namespace corvane {

// Search words for the keyword search of the CDDB service's web page.

// Upper case; punctuation - * _ . [ ] ( ) ' ~ : ; @ # & / to spaces; the
// accented capitals À..Ý to their base letters; pairs of spaces halved once.
// With dropNoise, "TRACK" and the digits go too. Trimmed.
std::string NormalizeKeywords(std::string_view text, bool dropNoise);

struct AlbumTags {
    std::string artist;
    std::string album;
};
// The artist and album tags of the files: the last non-empty one of each.
AlbumTags LastAlbumTags(const TrackList& files);

// Proposes search words from the files: the artist and album tags, or else
// the longest text that the file names of percent per cent of the files
// share. The keyword search asks with 100, the dependency step with 90.
std::string BuildSearchWords(const TrackList& files, int percent);

// True when the words hold at least three characters other than blanks and
// - ) ( _ + (the search dialog enables "OK" then).
bool SearchWordsUsable(std::string_view words);

// The words as the "words" value of the search address: normalised, blanks
// joined with "+" ("Guns N' Roses" gives GUNS+N+ROSES). Bytes that may not
// stand in a query as they are (non-ASCII, %, ?, =, ...) are %-escaped.
std::string SearchWordsQuery(std::string_view words);

// The address of the search page on webHost for the given words.
std::string KeywordSearchAddress(std::string_view webHost, std::string_view words);

// The value of the first n characters of text in the given base (2..36),
// letters in either case; other characters are skipped. 32-bit, wrapping.
std::uint32_t ParseNumber(std::string_view text, std::size_t n, int base);

}  // namespace corvane
