#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "musicbrainz/ReleaseRecords.h"

namespace corvane {

// Larger answers are refused, by the request and by the parse.
inline constexpr std::size_t kMaxMusicBrainzAnswerBytes = 8 * 1024 * 1024;

enum class MbParseResult {
    kReleases,  // answer holds the releases (maybe none)
    kError,     // the server's error object; error holds its text
    kGarbage,   // not an answer of the disc id lookup; error says why
};

// Reads the JSON text of a disc id lookup: the exact disc ({"id", ...,
// "releases": [...]}), the fuzzy release list ({"releases": [...]}) or the
// error object ({"error": "..."}). Never throws.
MbParseResult ParseMusicBrainzAnswer(std::string_view text, MbAnswer& answer, std::string& error);

// Reads the JSON text of one release (/ws/2/release/MBID with its
// recordings): kReleases when it holds the release with its media.
MbParseResult ParseMusicBrainzRelease(std::string_view text, MbRelease& release,
                                      std::string& error);

}  // namespace corvane
