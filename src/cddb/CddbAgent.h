#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "album/DiscIdCalculator.h"
#include "album/DiscIdCandidates.h"
#include "album/TrackInfo.h"
#include "cddb/CddbClient.h"
#include "cddb/CddbPrompts.h"
#include "cddb/CddbRecords.h"

namespace corvane {

class ComboBox;

// The main window's lookup object: a CddbClient with the state of one lookup
// (current site, site list, the record read last, the message of the day and
// the last error text).
// "host:port": how the Server combo shows a server, as the settings write it.
std::string SiteEntryText(const std::string& host, int port);
// "Cannot reach the CDDB server host:port: connection refused (error 10061)."
// for a code that says the server was never reached; empty otherwise.
std::string UnreachableText(const std::string& host, int port, int code);

class CddbAgent : public CddbClient {
public:
    // How Lookup ended.
    enum class LookupResult {
        kRecordRead = -1,
        kNotFound = 0,  // no match, or the query failed
        kChoiceCancelled = 1,
        kReadFailed = 2,
    };

    // Either prompt may be null: several matches are then a cancelled choice,
    // and a failed ReadRecord is reported only through ErrorText().
    explicit CddbAgent(DiscChooser* chooser = nullptr, ErrorNotifier* notifier = nullptr);

    void SetChooser(DiscChooser* chooser) { chooser_ = chooser; }
    void SetNotifier(ErrorNotifier* notifier) { notifier_ = notifier; }

    // The server whose site list " More..." fetches (gnudb.gnudb.org:80).
    void SetDefaultServer(const std::string& host, int port);
    const std::string& DefaultHost() const { return defaultHost_; }

    // currentSite.host = the selected "host:port" item up to its last ":";
    // empty when there is none. The port stays as it is.
    void SelectSiteFromCombo(const ComboBox& combo);
    void SetSiteHost(const std::string& host) { currentSite_.host = host; }
    // For callers that name a port as well (the command line).
    void SetSite(const std::string& host, int port);
    const CddbSite& CurrentSite() const { return currentSite_; }

    // True when the message of the day was read and is not empty.
    bool GetMotd(std::string& text);
    LookupResult Lookup(std::uint32_t discId, const OffsetList& offsets);
    bool ReadRecord(std::uint32_t discId, const std::string& category);
    // The keyword search on the current site; true when the server answered
    // it, with matches empty when it found none.
    bool SearchAlbums(const std::string& artistWords, const std::string& albumWords,
                      std::vector<DiscMatch>& matches);
    // After a failure whose answer refuses the user's e-mail address (gnudb
    // wants a registered one): one status line that says what to do; else
    // empty.
    std::string EmailAdvice() const;
    // Refills combo with "host, port" of each site of the default server's
    // list; false (combo untouched) when the list could not be fetched.
    bool FillSiteCombo(ComboBox& combo);
    // The record as the database track list; false when the record has no
    // disc length.
    bool BuildTrackList(TrackList& tracks) const;

    const DiscRecord& Record() const { return record_; }
    const std::vector<CddbSite>& SiteList() const { return siteList_; }
    const std::string& MotdText() const { return motd_; }
    std::string ErrorText() const { return errorText_; }

    // Lookup over several disc ids: asks about each candidate in turn, at
    // most maxQueries of them, until one gives a match (200 or 211); then
    // chooses and reads as Lookup does. beforeQuery hears the index of each
    // candidate before it is asked; found becomes the index of the one that
    // matched. A server that cannot be reached ends the tries as kNotFound;
    // an answer that cannot be read goes on with the next candidate, as a
    // 202 does.
    using QueryNotice = std::function<void(std::size_t index)>;
    LookupResult LookupCandidates(const std::vector<DiscCandidate>& candidates,
                                  std::size_t maxQueries, std::size_t& found,
                                  const QueryNotice& beforeQuery = {});
    // After LookupCandidates or QueryCandidates found nothing: the last
    // answer that could not be read, as one line; none when every answer was
    // read.
    const std::optional<std::string>& UnreadableAnswer() const { return unreadableAnswer_; }
    // The queries alone: true with the matches of candidate found; false
    // when none matched (ErrorCode() 0) or a query failed.
    bool QueryCandidates(const std::vector<DiscCandidate>& candidates, std::size_t maxQueries,
                         std::vector<DiscMatch>& matches, std::size_t& found,
                         const QueryNotice& beforeQuery = {});

private:
    void SetErrorFromLastAnswer();
    LookupResult ChooseAndRead(const std::vector<DiscMatch>& matches);

    std::vector<CddbSite> siteList_;
    CddbSite currentSite_;
    DiscRecord record_;
    std::string motd_;
    std::string errorText_;
    std::optional<std::string> unreadableAnswer_;
    std::string defaultHost_;
    int defaultPort_ = 80;
    DiscChooser* chooser_;
    ErrorNotifier* notifier_;
};

// The track lengths, in seconds, that BuildTrackList gives the record's
// tracks.
std::vector<std::uint32_t> TrackLengths(const DiscRecord& record);

// The record as the database track list, whatever service it came from;
// false (and an empty list) when the record has no disc length.
bool BuildTrackList(const DiscRecord& record, TrackList& tracks);

}  // namespace corvane
