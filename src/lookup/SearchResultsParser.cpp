#include "lookup/SearchResultsParser.h"

#include <algorithm>

#include "lookup/SearchWords.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "platform/Utf8.h"

namespace corvane {

namespace {

constexpr std::string_view kStartMarker = "all categories";
constexpr std::string_view kRowMarker = "<tr><td><a href=";
constexpr std::string_view kLinkSeparator = "<br><a href=";

// Text of s after the first `key`; empty when s has none.
std::string_view After(std::string_view s, std::string_view key) {
    const std::size_t at = s.find(key);
    return at == std::string_view::npos ? std::string_view() : s.substr(at + key.size());
}

// The few entities a title shows, so that "Simon &amp; Garfunkel" reads as
// the page meant it.
std::string DecodeEntities(std::string_view text) {
    struct Entity {
        std::string_view name;
        std::string_view text;
    };
    static constexpr Entity kEntities[] = {
        {"&amp;", "&"}, {"&quot;", "\""}, {"&#39;", "'"},  {"&apos;", "'"},
        {"&lt;", "<"},  {"&gt;", ">"},    {"&nbsp;", " "},
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto it =
            std::find_if(std::begin(kEntities), std::end(kEntities),
                         [&](const Entity& e) { return text.substr(pos).starts_with(e.name); });
        if (it != std::end(kEntities)) {
            out.append(it->text);
            pos += it->name.size();
        } else {
            out += text[pos++];
        }
    }
    return out;
}

// Pages come as UTF-8 or, from older servers, as ISO-8859-1.
std::string PageText(std::string_view text) {
    return IsValidUtf8(text) ? std::string(text) : Latin1ToUtf8(text);
}

SearchResult ReadResult(std::string_view segment) {
    SearchResult result;
    const std::size_t firstQuote = segment.find('"');
    const std::size_t lastQuote = segment.rfind('"');
    if (firstQuote != std::string_view::npos && lastQuote > firstQuote) {
        result.link = std::string(segment.substr(firstQuote + 1, lastQuote - firstQuote - 1));
    }
    result.idText = std::string(After(result.link, "id="));
    const std::string_view category = After(result.link, "cat=");
    const std::size_t amp = category.find('&');
    if (amp != std::string_view::npos) {
        result.category = std::string(category.substr(0, amp));
    }
    const std::size_t tagEnd = segment.find("\">");
    if (tagEnd != std::string_view::npos) {
        const std::string_view rest = segment.substr(tagEnd + 2);
        result.title = DecodeEntities(PageText(rest.substr(0, rest.find("</a>"))));
    }
    return result;
}

// One line of the result table may list several links; only the segment
// that opens a table row gives a result.
void ReadLine(std::string_view line, std::vector<SearchResult>& results) {
    std::size_t p = 0;
    while (p < line.size()) {
        const std::size_t next = line.find(kLinkSeparator, p);
        const std::string_view segment =
            line.substr(p, next == std::string_view::npos ? std::string_view::npos : next - p);
        if (segment.find(kRowMarker) != std::string_view::npos) {
            results.push_back(ReadResult(segment));
        }
        if (next == std::string_view::npos) {
            break;
        }
        p = next + 1;
    }
}

}  // namespace

std::vector<SearchResult> ParseSearchPage(std::string_view page) {
    std::vector<SearchResult> results;
    bool started = false;
    for (std::size_t pos = 0; pos < page.size();) {
        std::size_t end = page.find('\n', pos);
        if (end == std::string_view::npos) {
            end = page.size();
        }
        std::string_view line = page.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        pos = end + 1;
        if (!started) {
            started = line.find(kStartMarker) != std::string_view::npos;
            continue;
        }
        ReadLine(line, results);
    }
    return results;
}

int ParseSearchResults(const std::string& path, std::vector<SearchResult>& results,
                       std::string& errorText) {
    results.clear();
    errorText.clear();
    std::string page;
    if (const int error = ReadWholeFile(path, page); error != 0) {
        errorText = path + ": " + ErrorText(error);
        return kSearchPageUnreadable;
    }
    results = ParseSearchPage(page);
    return results.empty() ? kSearchPageEmpty : kSearchPageRead;
}

std::string SearchResultLine(const SearchResult& result) {
    return result.title + " - [" + result.idText + "]";
}

std::vector<SearchResult> SortedSearchResults(std::vector<SearchResult> results) {
    std::stable_sort(results.begin(), results.end(),
                     [](const SearchResult& a, const SearchResult& b) {
                         return ToLowerUtf8(SearchResultLine(a)) < ToLowerUtf8(SearchResultLine(b));
                     });
    return results;
}

std::uint32_t SearchResultDiscId(const SearchResult& result) {
    return ParseNumber(result.idText, result.idText.size(), 16);
}

}  // namespace corvane
