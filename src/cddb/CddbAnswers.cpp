#include "cddb/CddbAnswers.h"

#include <string>

#include "cddb/AnswerText.h"

namespace corvane {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsListStatus(int code) {
    return code >= 210 && code <= 219;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

// Cuts the next space-separated word off text (runs of spaces count as one).
std::string_view NextWord(std::string_view& text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == kNone) {
        text = {};
        return {};
    }
    text.remove_prefix(start);
    const std::size_t end = text.find(' ');
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end == kNone ? text.size() : end);
    return word;
}

bool IsDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == kNone;
}

// "N037.46" -> north, 37 * 60 + 46.
bool ParseCoordinate(std::string_view text, char positive, char negative, bool& isPositive,
                     std::int32_t& minutes) {
    if (text.size() != 7 || (text[0] != positive && text[0] != negative)) {
        return false;
    }
    isPositive = text[0] == positive;
    minutes = LeadingInt(text.substr(1, 3)) * 60 + LeadingInt(text.substr(5, 2));
    return true;
}

}  // namespace

bool ParseMatchLine(std::string_view line, DiscMatch& match) {
    const std::size_t space = line.find(' ');
    if (space == kNone) {
        return false;
    }
    std::string_view rest = line.substr(space + 1);
    const std::string_view id = NextWord(rest);
    const std::size_t restStart = rest.find_first_not_of(' ');
    if (id.empty() || restStart == kNone) {
        return false;
    }
    rest.remove_prefix(restStart);
    std::string_view cut;
    if (CutLine(rest, cut) != kNone) {
        rest = cut;
    }
    match = DiscMatch();
    match.category = line.substr(0, space);
    match.discId = LeadingHex(id);
    const std::size_t slash = rest.find('/');
    if (slash == kNone) {
        match.title = rest;
    } else {
        match.artist = TrimBlanks(rest.substr(0, slash));
        match.title = TrimBlanks(rest.substr(slash + 1));
    }
    return true;
}

namespace {

// The match lines after the status line.
QueryOutcome ParseMatchList(std::string_view body, std::vector<DiscMatch>& matches) {
    const std::size_t start = SkipFirstLine(body);
    if (start != kNone) {
        ForEachLine(body.substr(start), [&](std::string_view line) {
            DiscMatch match;
            if (ParseMatchLine(line, match)) {
                matches.push_back(match);
            }
        });
    }
    return matches.empty() ? QueryOutcome::kNoMatch : QueryOutcome::kMatches;
}

}  // namespace

QueryOutcome ParseSearchAnswer(std::string_view body, std::vector<DiscMatch>& matches) {
    matches.clear();
    const int code = StatusCode(body);
    if (code == 200 || IsListStatus(code)) {
        return ParseMatchList(body, matches);
    }
    return code == 202 ? QueryOutcome::kNoMatch : QueryOutcome::kUnexpected;
}

QueryOutcome ParseQueryAnswer(std::string_view body, std::vector<DiscMatch>& matches) {
    matches.clear();
    const int code = StatusCode(body);
    if (IsListStatus(code)) {
        return ParseMatchList(body, matches);
    }
    if (code == 200) {
        DiscMatch match;
        if (body.size() > 5 && ParseMatchLine(body.substr(4), match)) {
            matches.push_back(match);
            return QueryOutcome::kMatches;
        }
        return QueryOutcome::kUnexpected;
    }
    return code == 202 ? QueryOutcome::kNoMatch : QueryOutcome::kUnexpected;
}

bool ParseSiteLine(std::string_view line, CddbSite& site) {
    std::string_view rest = line;
    const std::string_view host = NextWord(rest);
    const std::string_view protocol = NextWord(rest);
    const std::string_view port = NextWord(rest);
    const std::string_view path = NextWord(rest);
    const std::string_view latitude = NextWord(rest);
    const std::string_view longitude = NextWord(rest);
    const std::size_t descriptionStart = rest.find_first_not_of(' ');
    if (host.empty() || !EqualsNoCase(protocol, "http") || !IsDigits(port) || path.empty() ||
        descriptionStart == kNone) {
        return false;
    }
    // A port that cannot be connected to makes the site unusable.
    const std::int32_t portNumber = LeadingInt(port);
    if (portNumber <= 0 || portNumber > 65535) {
        return false;
    }
    if (!ParseCoordinate(latitude, 'N', 'S', site.north, site.latitudeMinutes) ||
        !ParseCoordinate(longitude, 'E', 'W', site.east, site.longitudeMinutes)) {
        return false;
    }
    site.host = host;
    site.port = portNumber;
    site.path = path;
    site.description = rest.substr(descriptionStart);
    return true;
}

bool ParseSitesAnswer(std::string_view body, std::vector<CddbSite>& sites) {
    if (!IsListStatus(StatusCode(body))) {
        return false;
    }
    sites.clear();
    const std::size_t start = SkipFirstLine(body);
    if (start == kNone) {
        return true;
    }
    ForEachLine(body.substr(start), [&](std::string_view line) {
        CddbSite site;
        if (ParseSiteLine(line, site)) {
            sites.push_back(site);
        }
    });
    return true;
}

bool ParseMotdAnswer(std::string_view body, std::string& text) {
    if (!IsListStatus(StatusCode(body))) {
        return false;
    }
    const std::size_t start = SkipFirstLine(body);
    if (start == kNone) {
        return false;
    }
    text = body.substr(start);
    return true;
}

}  // namespace corvane
