#pragma once

#include <string_view>
#include <vector>

#include "cddb/CddbRecords.h"

namespace corvane {

// Parsers of the query, sites and motd answers. Each takes the body after the
// HTTP headers (terminator removed) as UTF-8.

// "category discid artist / title"; false when the line lacks a part.
bool ParseMatchLine(std::string_view line, DiscMatch& match);

enum class QueryOutcome {
    kMatches,     // at least one match stored
    kNoMatch,     // 202, or a 21x list without a usable line
    kUnexpected,  // any other status, or a 200 line that does not parse
};

// Empties matches, then fills it from a 200 or 21x answer.
QueryOutcome ParseQueryAnswer(std::string_view body, std::vector<DiscMatch>& matches);

// Empties matches, then fills it from a search answer: 200 with its list
// of matches, or 202 for none.
QueryOutcome ParseSearchAnswer(std::string_view body, std::vector<DiscMatch>& matches);

// One site line of protocol level 3: host, protocol, port, path, latitude,
// longitude, description. True only for a usable http site; site should be
// a fresh CddbSite.
bool ParseSiteLine(std::string_view line, CddbSite& site);

// Empties sites and fills it from a 21x answer; false for any other status.
bool ParseSitesAnswer(std::string_view body, std::vector<CddbSite>& sites);

// The lines after the status line of a 21x answer, as received. False for
// any other status or when there is no line after the status.
bool ParseMotdAnswer(std::string_view body, std::string& text);

}  // namespace corvane
