#include "lookup/KeywordSearch.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

#include "ProgramVersion.h"
#include "cddb/CddbAgent.h"
#include "components/SettingsValues.h"
#include "lookup/SearchWords.h"
#include "platform/Utf8.h"

namespace corvane {

namespace {

constexpr const char* kOperationCancelled = "Operation cancelled.";
constexpr const char* kNoDiskFound = "No disk found with these keywords. Please try again.";

// Removes the downloaded page on every way out of the search.
class TempFileGuard {
public:
    explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
    ~TempFileGuard() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;

private:
    std::string path_;
};

// " / " or " - " between an artist and an album, as people write them.
bool SplitArtistAlbum(const std::string& words, SearchFields& fields) {
    for (const char* separator : {" / ", " - "}) {
        const std::size_t at = words.find(separator);
        if (at != std::string::npos) {
            fields.artist = NormalizeKeywords(words.substr(0, at), false);
            fields.album = NormalizeKeywords(words.substr(at + 3), false);
            return !fields.artist.empty() && !fields.album.empty();
        }
    }
    return false;
}

SearchResult ResultOfMatch(const DiscMatch& match) {
    char id[16];
    std::snprintf(id, sizeof id, "%08x", static_cast<unsigned>(match.discId));
    SearchResult result;
    result.title = match.artist + " / " + match.title;
    result.category = match.category;
    result.idText = id;
    return result;
}

// Old mirrors wrote their pages in ISO-8859-1; the program's texts are UTF-8.
void DecodeTitles(std::vector<SearchResult>& results) {
    for (SearchResult& result : results) {
        if (!IsValidUtf8(result.title)) {
            result.title = Latin1ToUtf8(result.title);
        }
    }
}

std::string ProgramUserAgent() {
    return std::string("CorvaneMP3/") + kProgramVersion;
}

}  // namespace

std::vector<SearchFields> SearchCommandFields(const std::string& words, const std::string& proposal,
                                              const TrackList& files) {
    const AlbumTags tags = LastAlbumTags(files);
    if (words == proposal && !tags.artist.empty() && !tags.album.empty()) {
        return {{NormalizeKeywords(tags.artist, false), NormalizeKeywords(tags.album, false)}};
    }
    SearchFields split;
    if (SplitArtistAlbum(words, split)) {
        return {split};
    }
    const std::string normalized = NormalizeKeywords(words, false);
    return {{normalized, ""}, {"", normalized}};
}

KeywordSearch::KeywordSearch(AlbumFolder& album, CddbAgent& agent, LookupView& view)
    : album_(album), agent_(agent), view_(view) {}

void KeywordSearch::Configure(const SettingsValues& settings) {
    webHost_ = settings.searchHost;
    proxy_ = FetchProxy{settings.proxyHost, settings.proxyPort, "", ""};
}

std::string KeywordSearch::Proposal() const {
    return BuildSearchWords(album_.files, 100);
}

SearchOutcome KeywordSearch::Run() {
    std::string words;
    if (!view_.AskSearchWords(Proposal(), words)) {
        view_.AddStatus(kOperationCancelled);
        return SearchOutcome::kCancelled;
    }
    return RunWithWords(words);
}

SearchOutcome KeywordSearch::RunWithWords(const std::string& words) {
    BusyScope busy(view_);
    candidates_.clear();
    std::vector<SearchResult> results;
    const SearchOutcome found = FindCandidates(words, results);
    if (found != SearchOutcome::kAlbumRead) {
        return found;
    }
    candidates_ = std::move(results);
    return ChooseAndRead(busy);
}

SearchOutcome KeywordSearch::ChooseAgain() {
    BusyScope busy(view_);
    return ChooseAndRead(busy);
}

SearchOutcome KeywordSearch::FindCandidates(const std::string& words,
                                            std::vector<SearchResult>& results) {
    results.clear();
    const SearchOutcome outcome =
        webHost_.empty() ? FindWithCommand(words, results) : FindOnWebPage(words, results);
    if (outcome != SearchOutcome::kAlbumRead) {
        return outcome;
    }
    if (results.empty()) {
        view_.AddStatus(kNoDiskFound);
        return SearchOutcome::kNoAlbum;
    }
    DecodeTitles(results);
    results = SortedSearchResults(std::move(results));
    return SearchOutcome::kAlbumRead;
}

SearchOutcome KeywordSearch::FindWithCommand(const std::string& words,
                                             std::vector<SearchResult>& results) {
    std::set<std::pair<std::string, std::string>> seen;  // category and id
    for (const SearchFields& fields : SearchCommandFields(words, Proposal(), album_.files)) {
        std::vector<DiscMatch> matches;
        if (!agent_.SearchAlbums(fields.artist, fields.album, matches)) {
            ReportCommandFailure("The keyword search on the CDDB server failed. ");
            return SearchOutcome::kNotDownloaded;
        }
        for (const DiscMatch& match : matches) {
            SearchResult result = ResultOfMatch(match);
            if (seen.insert({result.category, result.idText}).second) {
                results.push_back(std::move(result));
            }
        }
    }
    return SearchOutcome::kAlbumRead;
}

SearchOutcome KeywordSearch::FindOnWebPage(const std::string& words,
                                           std::vector<SearchResult>& results) {
    FetchRequest request;
    request.url = KeywordSearchAddress(webHost_, words);
    request.userAgent = ProgramUserAgent();
    request.proxy = proxy_;
    request.timeoutSeconds = kTimeoutSeconds;
    request.maxBytes = kMaxPageBytes;
    std::string path;
    const FetchResult fetched = DownloadToTempFile(request, path);
    const TempFileGuard removeLater(path);
    const bool pageArrived = fetched.ok && fetched.httpStatus >= 200 && fetched.httpStatus < 300;
    if (!pageArrived) {
        const std::string why = fetched.ok
                                    ? "the answer was HTTP " + std::to_string(fetched.httpStatus)
                                    : fetched.error;
        view_.AddStatus("The HTTP query to the CDDB web site " + webHost_ + " failed (" + why +
                        "). Please check the connection settings and the search page host.");
        return SearchOutcome::kNotDownloaded;
    }
    std::string errorText;
    const int parsed = ParseSearchResults(path, results, errorText);
    if (parsed == kSearchPageUnreadable) {
        view_.AddStatus("Temporary file access failed, " + errorText);
        return SearchOutcome::kFileUnreadable;
    }
    return SearchOutcome::kAlbumRead;  // an empty list is judged by the caller
}

SearchOutcome KeywordSearch::ChooseAndRead(BusyScope& busy) {
    if (candidates_.empty()) {
        view_.AddStatus(kNoDiskFound);
        return SearchOutcome::kNoAlbum;
    }
    busy.Release();
    std::size_t chosen = 0;
    if (!view_.ChooseSearchResult(candidates_, chosen) || chosen >= candidates_.size()) {
        view_.AddStatus(kOperationCancelled);
        return SearchOutcome::kCancelled;
    }
    busy.Acquire();
    const SearchResult& result = candidates_[chosen];
    if (!agent_.ReadRecord(SearchResultDiscId(result), result.category)) {
        busy.Release();
        ReportCommandFailure("");  // the error text starts with "Error: " itself
        return SearchOutcome::kReadFailed;
    }
    agent_.BuildTrackList(album_.tracks);
    view_.ShowDatabaseList();
    return SearchOutcome::kAlbumRead;
}

void KeywordSearch::ReportCommandFailure(const std::string& what) {
    view_.AddStatus(what + agent_.ErrorText());
    if (const std::string advice = agent_.EmailAdvice(); !advice.empty()) {
        view_.AddStatus(advice);
    }
}

}  // namespace corvane
