#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "lookup/SearchResultsParser.h"

namespace corvane {

// The track-count check after a lookup. The prompt answers with one of the
// last three; the check itself adds the first two.
enum class TrackCountAnswer {
    kListEmpty = -1,  // no files or no tracks: nothing to compare
    kCountsEqual = 0,
    kSelectNewAlbum = 1,
    kKeepAlbum = 2,
    kCancelQuery = 3,
};

// The captions of the execute button for the window's actions.
inline constexpr const char* kExecuteRenameCaption = "&Rename Files";
inline constexpr const char* kExecuteTagCaption = "&ID3 Tag File";
inline constexpr const char* kExecuteUndoCaption = "&Undo Last Rename";

// What the album lookup needs from whoever shows it: the main window, the
// command line, or a test. The lookup drives it; it never calls back.
class LookupView {
public:
    virtual ~LookupView() = default;

    // One progress or failure line for the user.
    virtual void AddStatus(const std::string& text) = 0;
    virtual void EnableQuery(bool enable) = 0;
    virtual void EnableExecute(bool enable) = 0;
    // The caption of the execute button, "&" marks included.
    virtual std::string ExecuteCaption() const = 0;
    // Busy while a network command runs; the arrow comes back with false.
    virtual void SetBusy(bool busy) = 0;
    // The album's track count differs from the file count: select a new
    // album, keep the album, or cancel the query.
    virtual TrackCountAnswer AskTrackCount(bool notEnough, bool allowNewAlbum) = 0;
    // The database track list was rebuilt: show it (file names included).
    virtual void ShowDatabaseList() = 0;
    // The database track list was emptied: delete the rows that showed it.
    virtual void ClearDatabaseList() = 0;

    // The keyword search's words: the user edits the proposal; true with
    // words = the accepted text. Without a dialog the search is cancelled.
    virtual bool AskSearchWords(const std::string& /*proposal*/, std::string& /*words*/) {
        return false;
    }
    // The albums a keyword search found, each shown as "title - [id]": true
    // with chosen = the index of the one the user took.
    virtual bool ChooseSearchResult(const std::vector<SearchResult>& /*results*/,
                                    std::size_t& /*chosen*/) {
        return false;
    }
    // After a keyword search the user pairs files and titles by hand; true
    // when the pairing was accepted.
    virtual bool RunAssociation() { return false; }

    // Several MusicBrainz releases fit, one line each ("Artist / Title
    // (year, country, format)"): true with chosen = the index of the line
    // the user took. Without one, the choice counts as cancelled.
    virtual bool ChooseRelease(const std::vector<std::string>& /*lines*/, std::size_t& /*chosen*/) {
        return false;
    }
};

// Shows the busy cursor for its lifetime, so that every way out of a network
// wait restores the arrow. Release ends it early, for a dialog in between.
class BusyScope {
public:
    explicit BusyScope(LookupView& view) : view_(view) { Acquire(); }
    ~BusyScope() { Release(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    void Acquire() {
        if (!busy_) {
            busy_ = true;
            view_.SetBusy(true);
        }
    }
    void Release() {
        if (busy_) {
            busy_ = false;
            view_.SetBusy(false);
        }
    }

private:
    LookupView& view_;
    bool busy_ = false;
};

}  // namespace corvane
