#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "acoustid/AcoustIdRecords.h"

namespace corvane {

// Larger answers are refused, by the request and by the parse.
inline constexpr std::size_t kMaxAcoustIdAnswerBytes = 4 * 1024 * 1024;

enum class AidParseResult {
    kResults,  // a "status": "ok" answer; results may be empty
    kError,    // the service's error; error holds its message
    kGarbage,  // not a lookup answer; error says why
};

// Reads the JSON text of a lookup with meta "recordings releases
// releasegroups tracks compress": results with their score, recordings, the
// release groups' releases and the tracks' positions on them. Values of the
// wrong type count as missing; an answer past the size or count limits is
// refused. Never throws.
AidParseResult ParseAcoustIdAnswer(std::string_view text, AidAnswer& answer, std::string& error);

}  // namespace corvane
