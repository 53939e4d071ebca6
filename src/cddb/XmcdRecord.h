#pragma once

#include <string>
#include <string_view>

#include "cddb/CddbRecords.h"

namespace corvane {

// The largest TTITLE/EXTT index accepted; higher ones are ignored like
// negative ones, so a hostile record cannot grow the arrays without bound.
inline constexpr int kMaxTrackIndex = 999;

// Parses the body of a cddb read answer (status line, then the xmcd record,
// terminator removed) into record, which is reset first. False when the
// status is not 21x or the record is incomplete; record then holds what was
// parsed so far.
bool ParseXmcdRecord(std::string_view body, DiscRecord& record);

// True when line begins with "#"; text is then the rest, trimmed, when that
// rest has at least 2 characters, and empty otherwise.
bool CommentText(std::string_view line, std::string& text);

// False when line has no "=". Otherwise key is the text before the first "="
// and value the text after it with \n, \t and \\ undone, in that order, each
// pass over the whole value.
bool SplitKeyValue(std::string_view line, std::string& key, std::string& value);

}  // namespace corvane
