#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "album/AlbumFolder.h"
#include "lookup/LookupView.h"
#include "lookup/SearchResultsParser.h"
#include "platform/HttpFetch.h"

namespace corvane {

class CddbAgent;
struct SettingsValues;

// How a keyword search ended.
enum class SearchOutcome {
    kAlbumRead = -1,  // an album was chosen and read; the track list is built
    kCancelled = 1,   // in the words dialog or the album choice
    kNotDownloaded = 2,
    kFileUnreadable = 3,
    kNoAlbum = 4,
    kReadFailed = 5,
};

// The artist and album words of one search command.
struct SearchFields {
    std::string artist;
    std::string album;

    bool operator==(const SearchFields&) const = default;
};

// The search commands that one line of search words asks: the files' artist
// and album tags when the user kept the words proposed from them; the two
// sides of " / " or " - " when the line has one; otherwise the words once as
// an artist and once as an album, since a line of words may name either.
std::vector<SearchFields> SearchCommandFields(const std::string& words, const std::string& proposal,
                                              const TrackList& files);

// The keyword search when the disc id finds nothing: words proposed from the
// files and edited by the user, candidate albums from the CDDB server's
// search command (or from an older mirror's web search page), one of them
// chosen and read with the usual read command. Every step reports through
// the view.
class KeywordSearch {
public:
    // A search page longer than this is refused: a broken or hostile server
    // must not fill the disk.
    static constexpr std::size_t kMaxPageBytes = 2 * 1024 * 1024;
    static constexpr long kTimeoutSeconds = 30;

    KeywordSearch(AlbumFolder& album, CddbAgent& agent, LookupView& view);

    // The web host (empty: the search command) and the proxy.
    void Configure(const SettingsValues& settings);
    void SetWebHost(const std::string& host) { webHost_ = host; }

    // The whole search, from the words dialog on.
    SearchOutcome Run();
    // The same with the words given: no dialog.
    SearchOutcome RunWithWords(const std::string& words);
    // The candidates of the last search offered again.
    SearchOutcome ChooseAgain();
    bool HasCandidates() const { return !candidates_.empty(); }

    // Only the candidates for words, sorted as they are listed.
    SearchOutcome FindCandidates(const std::string& words, std::vector<SearchResult>& results);

    // The words proposed from the files.
    std::string Proposal() const;

private:
    SearchOutcome FindWithCommand(const std::string& words, std::vector<SearchResult>& results);
    SearchOutcome FindOnWebPage(const std::string& words, std::vector<SearchResult>& results);
    SearchOutcome ChooseAndRead(BusyScope& busy);
    void ReportCommandFailure(const std::string& what);

    AlbumFolder& album_;
    CddbAgent& agent_;
    LookupView& view_;
    std::string webHost_;
    FetchProxy proxy_;
    std::vector<SearchResult> candidates_;
};

}  // namespace corvane
