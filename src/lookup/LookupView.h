#pragma once

#include <cstddef>
#include <string>
#include <vector>

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

    // Outcome of RunKeywordSearch when the album was chosen and read.
    static constexpr int kSearchRead = -1;
    // The keyword search after a failed disc id lookup: kSearchRead, or any
    // other value when it was cancelled or failed. Without one, the search
    // ends at once as a cancelled one would.
    virtual int RunKeywordSearch() { return 1; }
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

}  // namespace corvane
