#include "library/LibraryLookup.h"

#include <algorithm>
#include <cstdio>

#include "album/DiscIdCalculator.h"
#include "association/AlbumPairing.h"
#include "components/SettingsValues.h"
#include "library/DiscMarker.h"
#include "processing/FilePairing.h"

namespace corvane {

namespace {

// The status lines that say a service failed, rather than that it knows nothing.
constexpr const char* kFailureStarts[] = {
    "Cannot connect to CDDB server",
    "Cannot reach the CDDB server",
    "Read from CDDB failed",
    "The CDDB server's answer could not be read",
    "MusicBrainz lookup failed",
    "The HTTP query to the CDDB web site",
    "The keyword search on the CDDB server failed",
};

std::string HexId(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(id));
    return text;
}

// "MusicBrainz release ID, disc 2 of 3" -> ID and 2.
bool ReleaseMedium(const DiscRecord& record, std::string& release, int& medium) {
    const std::string prefix = "MusicBrainz release ";
    if (record.extendedData.rfind(prefix, 0) != 0) {
        return false;
    }
    const std::string rest = record.extendedData.substr(prefix.size());
    const std::size_t comma = rest.find(',');
    release = rest.substr(0, comma);
    medium = 1;
    if (comma != std::string::npos) {
        std::sscanf(rest.c_str() + comma, ", disc %d", &medium);
    }
    return !release.empty();
}

}  // namespace

// Answers every question of the lookup without a dialog.
class LibraryLookup::View : public LookupView, public DiscChooser {
public:
    void Reset(const TrackList& files) {
        choice_.clear();
        failure_.clear();
        lastStatus_.clear();
        byKeywords_ = false;
        // The keyword search runs only when the tags name both artist and album.
        wordsFromTags_ = std::any_of(files.begin(), files.end(), [](const TrackInfo& file) {
            return !file.artist.empty() && !file.album.empty();
        });
    }
    void AddStatus(const std::string& text) override {
        lastStatus_ = text;
        for (const char* start : kFailureStarts) {
            if (text.rfind(start, 0) == 0 && failure_.empty()) {
                failure_ = text;
            }
        }
    }
    void EnableQuery(bool) override {}
    void EnableExecute(bool) override {}
    std::string ExecuteCaption() const override { return kExecuteRenameCaption; }
    void SetBusy(bool) override {}
    TrackCountAnswer AskTrackCount(bool notEnough, bool) override {
        choice_ = notEnough ? "the album has more tracks than the folder has files"
                            : "the folder has more files than the album has tracks";
        return TrackCountAnswer::kCancelQuery;
    }
    void ShowDatabaseList() override {}
    void ClearDatabaseList() override {}
    bool AskSearchWords(const std::string& proposal, std::string& words) override {
        words = proposal;
        byKeywords_ = wordsFromTags_;
        return wordsFromTags_;
    }
    bool ChooseSearchResult(const std::vector<SearchResult>& results,
                            std::size_t& chosen) override {
        return TakeOnly(results.size(), "the keyword search found", chosen);
    }
    bool RunAssociation() override { return true; }
    bool ChooseRelease(const std::vector<std::string>& lines, std::size_t& chosen) override {
        return TakeOnly(lines.size(), "MusicBrainz has", chosen);
    }
    bool ChooseDisc(const std::vector<DiscMatch>& matches, std::size_t& chosen) override {
        return TakeOnly(matches.size(), "the CDDB server has", chosen);
    }

    std::string choice_;
    std::string failure_;
    std::string lastStatus_;
    bool byKeywords_ = false;

private:
    bool TakeOnly(std::size_t count, const std::string& who, std::size_t& chosen) {
        if (count == 1) {
            chosen = 0;
            return true;
        }
        choice_ = who + " " + std::to_string(count) + " albums";
        return false;
    }

    bool wordsFromTags_ = false;
};

LibraryLookup::LibraryLookup(const SettingsValues& settings)
    : view_(std::make_unique<View>()),
      agent_(view_.get()),
      workflow_(album_, agent_, serverCombo_, *view_) {
    workflow_.Configure(settings);
    workflow_.InitServerCombo();
}

LibraryLookup::~LibraryLookup() = default;

DiscOutcome LibraryLookup::Identify(AlbumFolder scanned, LibraryDisc& disc) {
    album_ = std::move(scanned);
    disc.discId = HexId(DiscIdCalculator().ComputeDiscId(album_.files));
    DiscOutcome outcome;
    if (album_.files.empty()) {
        outcome.reason = "no MP3 files";
        return outcome;
    }
    if (const std::vector<std::string> damaged = DamagedFileLines(album_.files); !damaged.empty()) {
        outcome.state = AlbumState::kDamaged;
        outcome.reason = damaged.front() + (damaged.size() > 1 ? " and more" : "");
        return outcome;
    }
    view_->Reset(album_.files);
    const bool found = workflow_.QueryCommand();
    if (!found) {
        outcome.state = !view_->choice_.empty()    ? AlbumState::kChoose
                        : !view_->failure_.empty() ? AlbumState::kFailed
                                                   : AlbumState::kNotFound;
        outcome.reason = !view_->choice_.empty()    ? view_->choice_
                         : !view_->failure_.empty() ? view_->failure_
                                                    : "no service knows it";
        return outcome;
    }
    if (workflow_.FoundBySound()) {
        // Its files pair by their sound, which only that lookup knows: the
        // pairing is for the user to check.
        outcome.state = AlbumState::kChoose;
        outcome.reason = "found by the files' sound: check the pairing";
        return outcome;
    }
    const AlbumPairing pairing =
        view_->byKeywords_ ? AutomaticPairing(album_) : RecordOrderPairing(album_);
    const std::vector<FileJob> mismatches = PairingMismatches(album_, pairing);
    if (pairing.fileRows.size() != album_.files.size() || !mismatches.empty()) {
        outcome.state = AlbumState::kChoose;
        outcome.reason = mismatches.empty() ? "not every file pairs with a track"
                                            : LengthMismatchText(mismatches.size());
        return outcome;
    }
    outcome.state = AlbumState::kFound;
    outcome.source = view_->byKeywords_ ? "CDDB keyword search" : workflow_.FoundSource();
    outcome.record = workflow_.FoundRecord();
    disc.tracks = album_.tracks;
    disc.pairByKeywords = view_->byKeywords_;
    return outcome;
}

DiscOutcome CombineDiscs(LibraryAlbum& album, std::vector<DiscOutcome> outcomes) {
    for (const AlbumState state :
         {AlbumState::kFailed, AlbumState::kDamaged, AlbumState::kChoose, AlbumState::kNotFound}) {
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            if (outcomes[i].state == state) {
                DiscOutcome first = outcomes[i];
                if (album.MultiDisc()) {
                    first.reason = "disc " + std::to_string(i + 1) + ": " + first.reason;
                }
                return first;
            }
        }
    }
    if (!album.MultiDisc()) {
        return outcomes.front();
    }
    // Each disc's number: its medium of one release, or the marker of its title.
    std::vector<int> numbers;
    std::string release;
    std::string title;
    std::string artist;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const DiscRecord& record = outcomes[i].record;
        std::string id;
        int number = 0;
        std::string base;
        if (!ReleaseMedium(record, id, number)) {
            base = StripDiscMarker(record.album, number);
            id = record.artist + "\n" + base;
        }
        if (number == 0 || (i > 0 && id != release) ||
            std::find(numbers.begin(), numbers.end(), number) != numbers.end()) {
            DiscOutcome choose;
            choose.state = AlbumState::kChoose;
            choose.reason = "the discs do not belong to one album";
            return choose;
        }
        release = id;
        title = base.empty() ? record.album : base;
        artist = record.artist;
        numbers.push_back(number);
    }
    std::vector<std::size_t> order(outcomes.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return numbers[a] < numbers[b]; });
    std::vector<LibraryDisc> discs;
    for (std::size_t k = 0; k < order.size(); ++k) {
        LibraryDisc disc = album.discs[order[k]];
        for (TrackInfo& track : disc.tracks) {
            track.album = title;
            track.discNumber = static_cast<std::int32_t>(k + 1);
            track.discCount = static_cast<std::int32_t>(order.size());
        }
        discs.push_back(std::move(disc));
    }
    album.discs = std::move(discs);
    return outcomes.front();
}

}  // namespace corvane
