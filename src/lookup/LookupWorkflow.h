#pragma once

#include <functional>
#include <string>

#include "album/AlbumFolder.h"
#include "lookup/KeywordSearch.h"
#include "lookup/LookupView.h"
#include "lookup/MusicBrainzLookup.h"
#include "lookup/ServerList.h"
#include "lookup/SoundLookup.h"

namespace corvane {

class CddbAgent;
class ComboBox;
struct DiscCandidate;
struct DiscRecord;
struct SettingsValues;

// How an automatic lookup by disc id ended.
enum class LookupOutcome {
    kAlbumRead = -1,  // the record was read and the track list built
    kNotFound = 0,    // the disc is unknown, or the query failed
    kNoConnection = 1,
    kCancelled = 2,  // the user closed the choice of albums
    kReadFailed = 3,
};

// What "&Query" does, from the files' disc id to a chosen album record: the
// automatic lookup by disc id, the keyword search when it finds nothing, and
// the track-count check. Shared by the main window and the command line; all
// user interaction goes through the LookupView.
class LookupWorkflow {
public:
    // The workflow keeps references: all four outlive it. serverCombo is the
    // Server combo, whose selected entry names the server of each lookup.
    LookupWorkflow(AlbumFolder& album, CddbAgent& agent, ComboBox& serverCombo, LookupView& view);

    // Takes the proxy, the hello details and the default server from the
    // settings; call it again after the settings change.
    void Configure(const SettingsValues& settings);

    // The Server combo at start.
    void InitServerCombo();
    // The Server combo's selection changed: " More..." fetches the site list.
    void OnServerChanged();
    // Fetches the site list and selects the default server again; a failure
    // becomes a status line.
    void RefreshServerList();
    void AddUnreachableReason();

    // The "&Query" command: lookups and track-count checks until an album is
    // kept or the query is abandoned ("Operation cancelled."). True when an
    // album is left for processing.
    bool QueryCommand();
    // The same road with the keyword search in place of the disc id: the
    // given words, or those proposed from the files when empty.
    bool SearchCommand(const std::string& words);
    // One attempt: the automatic lookup, then the keyword search when it
    // found nothing. Sets the buttons and reports.
    void RunQuery(bool& manualUsed);
    LookupOutcome AutomaticLookup();
    // kListEmpty, kCountsEqual, or the user's answer; selecting a new album
    // and cancelling empty the database track list.
    TrackCountAnswer CheckTrackCount(bool allowNewAlbum);

    // Lookups run so far; the first one fetches the message of the day.
    int LookupCount() const { return lookupCount_; }
    const CddbServerAddress& DefaultServer() const { return server_; }
    KeywordSearch& Search() { return search_; }
    // After an album was found: the service that found it ("CDDB" or
    // "MusicBrainz") and its record.
    const std::string& FoundSource() const { return foundSource_; }
    const DiscRecord& FoundRecord() const;
    SoundLookup& Sound() { return sound_; }
    // The album kept was found by the files' sound: they pair by it.
    bool FoundBySound() const { return sound_.Found(); }

private:
    // The command's loop: attempts and track-count checks; after a keyword
    // search "Select New Album" offers the same search's albums again.
    bool RunCommand(const std::function<void(bool& manualUsed)>& attempt);
    void BeginAttempt();
    void ReportSearch(SearchOutcome outcome, const std::string& captionWord);
    void AddEmailAdvice();
    void DiscardTracks();
    void ReportAlbumFound(const std::string& captionWord, const char* source = "CDDB");
    // The identification by sound after the lookups by disc id found
    // nothing; true when it ended the attempt (found, or cancelled).
    bool RunSoundStep(LookupOutcome result, bool& manualUsed, const std::string& captionWord);

    AlbumFolder& album_;
    CddbAgent& agent_;
    ComboBox& serverCombo_;
    LookupView& view_;
    CddbServerAddress server_;
    std::string proxyHost_;
    int proxyPort_ = 80;
    int lookupCount_ = 0;
    std::string foundSource_;
    MusicBrainzLookup musicBrainz_{album_, view_};
    KeywordSearch search_{album_, agent_, view_};
    SoundLookup sound_{album_, view_, musicBrainz_.Client()};
};

// "DISK ID = 0001a2b3".
std::string DiscIdStatusText(std::uint32_t discId);
// Where a disc id came from, for the status lines: "neighbouring track
// lengths", "from the tag iTunes_CDDB_1"...
std::string SourceText(const DiscCandidate& candidate);
// "DISK ID in the tags = 0001a2b3 (DISCID)".
std::string TagDiscIdStatusText(const DiscCandidate& candidate);
// "Trying DISK ID = 0001a2b3 (neighbouring track lengths)...".
std::string TryingDiscIdStatusText(const DiscCandidate& candidate);
// "Found \"Artist / Album\" by DISK ID 0001a2b3 (...)." after more than one id.
std::string FoundByStatusText(const DiscRecord& record, const DiscCandidate& candidate);
// The message of the day as one status line: each "\r\n" becomes " ; ".
std::string MotdStatusText(const std::string& motd);
// "Album found in CDDB. Press \"Rename Files\" button to process the files";
// with the undo action's caption it names the rename action instead, which is
// what the album is for.
std::string AlbumFoundText(const std::string& source, const std::string& captionWord);
// True when the record's artist, album or titles hold "??" or U+FFFD: what a
// server answering at protocol level 5 puts for letters beyond Latin-1.
bool HoldsReplacedText(const DiscRecord& record);
// The caption without its "&" marks.
std::string CaptionWord(const std::string& caption);

}  // namespace corvane
