#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cddb/CddbPrompts.h"
#include "lookup/LookupView.h"

namespace corvane::cli {

// The album lookup on a terminal: status lines on stdout, no cursor and no
// buttons. The questions a window would ask are answered up front by the
// command's options; when an answer is missing the view says what to add
// and the lookup ends as cancelled.
class CommandLineView : public LookupView, public DiscChooser {
public:
    // choice: the 1-based match number of --choose, 0 when not given.
    CommandLineView(int choice, bool keepAlbum) : choice_(choice), keepAlbum_(keepAlbum) {}

    void AddStatus(const std::string& text) override;
    void EnableQuery(bool) override {}
    void EnableExecute(bool) override {}
    std::string ExecuteCaption() const override { return "&Rename Files"; }
    void SetBusy(bool) override {}
    TrackCountAnswer AskTrackCount(bool notEnough, bool allowNewAlbum) override;
    void ShowDatabaseList() override {}
    void ClearDatabaseList() override {}
    // The keyword search's albums, numbered for --choose in the order listed.
    bool ChooseSearchResult(const std::vector<SearchResult>& results, std::size_t& chosen) override;
    // The files are paired with the titles by the command itself.
    bool RunAssociation() override { return true; }

    bool ChooseDisc(const std::vector<DiscMatch>& matches, std::size_t& chosen) override;
    // MusicBrainz releases, numbered for --choose in the order listed.
    bool ChooseRelease(const std::vector<std::string>& lines, std::size_t& chosen) override;
    // The keyword search runs only when asked for (--search): here the view
    // says how, with the words it would use.
    bool AskSearchWords(const std::string& proposal, std::string& words) override;

    // The lookup stopped for want of --choose, or of --keep.
    bool ChoiceNeeded() const { return choiceNeeded_; }
    bool TrackCountRefused() const { return trackCountRefused_; }

private:
    // Takes the --choose'th of lines, or lists them numbered and asks for it.
    bool ChooseLine(const std::vector<std::string>& lines, const std::string& heading,
                    const char* what, std::size_t& chosen);

    int choice_;
    bool keepAlbum_;
    bool choiceNeeded_ = false;
    bool trackCountRefused_ = false;
    std::string lastStatus_;
};

}  // namespace corvane::cli
