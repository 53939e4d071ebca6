#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// One album offered by the CDDB service's search page.
struct SearchResult {
    std::string link;      // the address of the result's anchor
    std::string title;     // the anchor's text, typically "artist / title"
    std::string category;  // "cat=" of the link
    std::string idText;    // the text after "id=" in the link

    bool operator==(const SearchResult&) const = default;
};

// Outcomes of reading a search page.
inline constexpr int kSearchPageRead = -1;
inline constexpr int kSearchPageUnreadable = 3;
inline constexpr int kSearchPageEmpty = 4;

// Reads the results of a downloaded search page: the table rows after the
// line that mentions "all categories". Returns kSearchPageRead with at least
// one result, kSearchPageEmpty when the page offers none, or
// kSearchPageUnreadable with a description of the file error in errorText.
int ParseSearchResults(const std::string& path, std::vector<SearchResult>& results,
                       std::string& errorText);

// The same for a page already in memory.
std::vector<SearchResult> ParseSearchPage(std::string_view page);

// The line of a result in the album choice: "title - [id]".
std::string SearchResultLine(const SearchResult& result);
// The results in the alphabetical order of their lines.
std::vector<SearchResult> SortedSearchResults(std::vector<SearchResult> results);
// The disc id of a result (its id text read as hexadecimal).
std::uint32_t SearchResultDiscId(const SearchResult& result);

}  // namespace corvane
