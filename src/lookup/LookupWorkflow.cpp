#include "lookup/LookupWorkflow.h"

#include <algorithm>
#include <cstdio>

#include "album/DiscIdCalculator.h"
#include "album/DiscIdCandidates.h"
#include "cddb/CddbAgent.h"
#include "components/SettingsValues.h"
#include "platform/ComboBox.h"

namespace corvane {

namespace {

constexpr const char* kCannotConnect =
    "Cannot connect to CDDB server. Please check connection settings.";
constexpr const char* kDiskNotFound =
    "Disk not found in the CDDB database with automatic diskid detection.";
constexpr const char* kOperationCancelled = "Operation cancelled.";
constexpr const char* kEnteringManualScan = "Entering Manual CDDB Scan process...";
constexpr const char* kConnecting = "Connecting... Please wait";
constexpr const char* kReplacedTextAdvice =
    "The album's texts hold \"?\" where the CDDB server could not send letters at protocol "
    "level 5: choose \"6 (UTF-8 texts)\" as Protocol level in the settings (Network tab, CDDB "
    "server; protocolLevel=6 under [Cddb] in Corvane Mp3.ini) and query again.";

}  // namespace

std::string DiscIdStatusText(std::uint32_t discId) {
    char text[32];
    std::snprintf(text, sizeof text, "DISK ID = %08x", static_cast<unsigned>(discId));
    return text;
}

std::string SourceText(const DiscCandidate& candidate) {
    switch (candidate.source) {
        case DiscIdSource::kTag:
            return "from the tag " + candidate.frame;
        case DiscIdSource::kNeighbour:
            return "neighbouring track lengths";
        case DiscIdSource::kEstimate:
            break;
    }
    return "the files' lengths";
}

std::string TagDiscIdStatusText(const DiscCandidate& candidate) {
    char text[64];
    std::snprintf(text, sizeof text, "DISK ID in the tags = %08x (%s)",
                  static_cast<unsigned>(candidate.discId), candidate.frame.c_str());
    return text;
}

std::string TryingDiscIdStatusText(const DiscCandidate& candidate) {
    char text[32];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(candidate.discId));
    return std::string("Trying DISK ID = ") + text + " (" + SourceText(candidate) + ")...";
}

std::string FoundByStatusText(const DiscRecord& record, const DiscCandidate& candidate) {
    char text[32];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(candidate.discId));
    return "Found \"" + record.artist + " / " + record.album + "\" by DISK ID " + text + " (" +
           SourceText(candidate) + ").";
}

std::string MotdStatusText(const std::string& motd) {
    std::string line;
    line.reserve(motd.size());
    for (std::size_t i = 0; i < motd.size(); ++i) {
        const char c = motd[i];
        if (c == '\r' && i + 1 < motd.size() && motd[i + 1] == '\n') {
            line += " ; ";
            ++i;
        } else if (c == '\r' || c == '\n') {
            // Servers that end lines with a bare LF would otherwise break the
            // one-line status entry.
            line += " ; ";
        } else {
            line += c;
        }
    }
    return line;
}

std::string AlbumFoundText(const std::string& source, const std::string& captionWord) {
    // Undoing has nothing to do with the album just found: renaming has.
    const std::string button = captionWord == CaptionWord(kExecuteUndoCaption)
                                   ? CaptionWord(kExecuteRenameCaption)
                                   : captionWord;
    if (button != captionWord) {
        return "Album found in " + source + ". Choose the action \"" + button +
               "\" and press its button to process the files";
    }
    return "Album found in " + source + ". Press \"" + button + "\" button to process the files";
}

bool HoldsReplacedText(const DiscRecord& record) {
    // A server that cannot send a letter at level 5 puts "?" in its place;
    // one "?" may be the title's own, a run of them is not.
    const auto replaced = [](const std::string& text) {
        return text.find("??") != std::string::npos ||
               text.find("\xEF\xBF\xBD") != std::string::npos;  // U+FFFD
    };
    return replaced(record.artist) || replaced(record.album) ||
           std::any_of(record.trackTitles.begin(), record.trackTitles.end(), replaced);
}

std::string CaptionWord(const std::string& caption) {
    std::string word;
    for (char c : caption) {
        if (c != '&') {
            word += c;
        }
    }
    return word;
}

LookupWorkflow::LookupWorkflow(AlbumFolder& album, CddbAgent& agent, ComboBox& serverCombo,
                               LookupView& view)
    : album_(album), agent_(agent), serverCombo_(serverCombo), view_(view) {
    server_ = ParseCddbServer(SettingsValues{}.cddbServer);
    agent_.SetDefaultServer(server_.host, server_.port);
}

void LookupWorkflow::Configure(const SettingsValues& settings) {
    server_ = ParseCddbServer(settings.cddbServer);
    agent_.SetDefaultServer(server_.host, server_.port);
    agent_.SetEmail(settings.cddbEmail);
    agent_.SetProtocolLevel(settings.cddbProtocolLevel);
    proxyHost_ = settings.proxyHost;
    proxyPort_ = settings.proxyPort;
    musicBrainz_.Configure(settings);
    sound_.Configure(settings);
    search_.Configure(settings);
}

void LookupWorkflow::InitServerCombo() {
    corvane::InitServerCombo(serverCombo_, server_);
    agent_.SetSite(server_.host, server_.port);
}

void LookupWorkflow::OnServerChanged() {
    if (serverCombo_.SelectedText() != kMoreServersEntry) {
        return;
    }
    BusyScope busy(view_);
    agent_.SetProxy(proxyHost_, proxyPort_, "", "");
    RefreshServerList();
}

void LookupWorkflow::AddUnreachableReason() {
    const CddbSite& site = agent_.CurrentSite();
    if (const std::string text = UnreachableText(site.host, site.port, agent_.ErrorCode());
        !text.empty()) {
        view_.AddStatus(text);
    }
}

void LookupWorkflow::RefreshServerList() {
    std::string errorText;
    if (!corvane::RefreshServerList(serverCombo_, agent_, server_, errorText)) {
        view_.AddStatus(errorText);
        AddUnreachableReason();
        return;
    }
    const std::size_t servers = agent_.SiteList().size();
    view_.AddStatus("The server list now holds " + std::to_string(servers) +
                    (servers == 1 ? " server." : " servers."));
}

bool LookupWorkflow::QueryCommand() {
    return RunCommand([this](bool& manualUsed) { RunQuery(manualUsed); });
}

bool LookupWorkflow::SearchCommand(const std::string& words) {
    return RunCommand([this, &words](bool& manualUsed) {
        BeginAttempt();
        manualUsed = true;
        SelectServer(agent_, serverCombo_, server_);
        const std::string captionWord = CaptionWord(view_.ExecuteCaption());
        ReportSearch(search_.RunWithWords(words.empty() ? search_.Proposal() : words), captionWord);
    });
}

bool LookupWorkflow::RunCommand(const std::function<void(bool& manualUsed)>& attempt) {
    agent_.SetProxy(proxyHost_, proxyPort_, "", "");
    if (album_.files.empty()) {
        return false;
    }
    bool manualUsed = false;
    TrackCountAnswer answer = TrackCountAnswer::kListEmpty;
    attempt(manualUsed);
    while ((answer = CheckTrackCount(manualUsed)) == TrackCountAnswer::kSelectNewAlbum) {
        if (manualUsed && search_.HasCandidates()) {
            BeginAttempt();
            ReportSearch(search_.ChooseAgain(), CaptionWord(view_.ExecuteCaption()));
        } else {
            attempt(manualUsed);
        }
    }

    bool keep = answer == TrackCountAnswer::kCountsEqual || answer == TrackCountAnswer::kKeepAlbum;
    if (keep && manualUsed) {
        keep = view_.RunAssociation();
    }
    if (!keep) {
        DiscardTracks();
        view_.EnableQuery(true);
        view_.EnableExecute(false);
        view_.AddStatus(kOperationCancelled);
    }
    return keep;
}

void LookupWorkflow::BeginAttempt() {
    view_.EnableQuery(false);
    view_.EnableExecute(false);
    foundSource_.clear();
    // The album of an earlier query must not outlive a failed one: nothing
    // may offer its titles for these files.
    DiscardTracks();
}

void LookupWorkflow::ReportSearch(SearchOutcome outcome, const std::string& captionWord) {
    if (outcome == SearchOutcome::kAlbumRead) {
        ReportAlbumFound(captionWord);
    } else {
        view_.EnableQuery(true);
    }
}

void LookupWorkflow::AddEmailAdvice() {
    if (const std::string advice = agent_.EmailAdvice(); !advice.empty()) {
        view_.AddStatus(advice);
    }
}

const DiscRecord& LookupWorkflow::FoundRecord() const {
    return foundSource_ == kMusicBrainzName ? musicBrainz_.Record() : agent_.Record();
}

void LookupWorkflow::ReportAlbumFound(const std::string& captionWord, const char* source) {
    foundSource_ = source;
    view_.EnableQuery(true);
    view_.EnableExecute(true);
    view_.AddStatus(AlbumFoundText(source, captionWord));
    if (std::string(source) == "CDDB" && agent_.ProtocolLevel() < 6 &&
        HoldsReplacedText(agent_.Record())) {
        view_.AddStatus(kReplacedTextAdvice);
    }
}

void LookupWorkflow::RunQuery(bool& manualUsed) {
    BeginAttempt();
    manualUsed = false;
    const std::string captionWord = CaptionWord(view_.ExecuteCaption());

    // Files that MusicBrainz found before carry its ids and no CDDB id:
    // MusicBrainz first, which knows them at once.
    const bool musicBrainzFirst = musicBrainz_.Enabled() &&
                                  !TaggedMusicBrainzId(album_.files).empty() &&
                                  TaggedDiscIds(album_.files).empty();
    if (musicBrainzFirst) {
        const MusicBrainzOutcome first = musicBrainz_.Run();
        if (first != MusicBrainzOutcome::kNotFound) {
            if (first == MusicBrainzOutcome::kAlbumRead) {
                ReportAlbumFound(captionWord, kMusicBrainzName);
            } else {
                view_.EnableQuery(true);
            }
            return;
        }
    }
    const LookupOutcome result = AutomaticLookup();
    if (result == LookupOutcome::kAlbumRead) {
        ReportAlbumFound(captionWord);
        return;
    }
    // MusicBrainz is a service of its own: it is asked even when the CDDB
    // server could not be reached.
    const bool askMusicBrainz =
        (result == LookupOutcome::kNotFound || result == LookupOutcome::kNoConnection) &&
        musicBrainz_.Enabled() && !musicBrainzFirst;
    const MusicBrainzOutcome fromMusicBrainz =
        askMusicBrainz ? musicBrainz_.Run() : MusicBrainzOutcome::kNotFound;
    if (fromMusicBrainz == MusicBrainzOutcome::kAlbumRead) {
        ReportAlbumFound(captionWord, kMusicBrainzName);
        return;
    }
    if (fromMusicBrainz != MusicBrainzOutcome::kCancelled &&
        RunSoundStep(result, manualUsed, captionWord)) {
        return;
    }
    if (result != LookupOutcome::kNotFound || fromMusicBrainz == MusicBrainzOutcome::kCancelled) {
        view_.EnableQuery(true);
        return;
    }
    view_.AddStatus(kEnteringManualScan);
    manualUsed = true;
    ReportSearch(search_.Run(), captionWord);
}

bool LookupWorkflow::RunSoundStep(LookupOutcome result, bool& manualUsed,
                                  const std::string& captionWord) {
    // AcoustID is a service of its own, as MusicBrainz is.
    if (result != LookupOutcome::kNotFound && result != LookupOutcome::kNoConnection) {
        return false;
    }
    switch (sound_.Run()) {
        case SoundOutcome::kAlbumRead:
            ReportAlbumFound(captionWord, kAcoustIdName);
            // The pairing by sound is shown for checking, as after a search.
            manualUsed = true;
            return true;
        case SoundOutcome::kCancelled:
            view_.EnableQuery(true);
            return true;
        case SoundOutcome::kNotFound:
            break;
    }
    return false;
}

LookupOutcome LookupWorkflow::AutomaticLookup() {
    // The tags' ids first, then the id of the files' lengths, then the ids
    // their estimated lengths can also give.
    const std::vector<DiscCandidate> candidates = LookupDiscIds(album_.files);
    DiscIdCalculator calculator;
    view_.AddStatus(DiscIdStatusText(calculator.ComputeDiscId(album_.files)));
    if (const std::string damaged = DamagedDiscIdText(album_.files); !damaged.empty()) {
        view_.AddStatus(damaged);
    }
    for (const DiscCandidate& c : candidates) {
        if (c.source == DiscIdSource::kTag) {
            view_.AddStatus(TagDiscIdStatusText(c));
        }
    }
    view_.AddStatus(kConnecting);
    BusyScope busy(view_);
    SelectServer(agent_, serverCombo_, server_);

    // The message of the day doubles as the connection test, once per run,
    // whether or not that first attempt succeeds.
    if (++lookupCount_ == 1) {
        std::string motd;
        if (!agent_.GetMotd(motd)) {
            busy.Release();
            view_.AddStatus(kCannotConnect);
            AddUnreachableReason();
            AddEmailAdvice();
            return LookupOutcome::kNoConnection;
        }
        view_.AddStatus(MotdStatusText(motd));
    }

    std::size_t found = 0;
    const auto tryingNext = [&](std::size_t index) {
        if (index > 0) {
            view_.AddStatus(TryingDiscIdStatusText(candidates[index]));
        }
    };
    switch (agent_.LookupCandidates(candidates, kMaxIdQueries, found, tryingNext)) {
        case CddbAgent::LookupResult::kRecordRead:
            agent_.BuildTrackList(album_.tracks);
            view_.ShowDatabaseList();
            busy.Release();
            if (candidates.size() > 1) {
                view_.AddStatus(FoundByStatusText(agent_.Record(), candidates[found]));
            }
            return LookupOutcome::kAlbumRead;
        case CddbAgent::LookupResult::kChoiceCancelled:
            busy.Release();
            view_.AddStatus(kOperationCancelled);
            return LookupOutcome::kCancelled;
        case CddbAgent::LookupResult::kReadFailed:
            busy.Release();
            view_.AddStatus("Read from CDDB failed. " + agent_.ErrorText());
            AddEmailAdvice();
            return LookupOutcome::kReadFailed;
        case CddbAgent::LookupResult::kNotFound:
            break;
    }
    busy.Release();
    // A server that was never reached knows nothing of the disc either; the
    // user is told so before the search goes on. An answer that could not be
    // read does not say the disc is unknown.
    AddUnreachableReason();
    if (const auto& unreadable = agent_.UnreadableAnswer()) {
        view_.AddStatus("The CDDB server's answer could not be read: " + *unreadable);
    } else {
        view_.AddStatus(kDiskNotFound);
    }
    AddEmailAdvice();
    return LookupOutcome::kNotFound;
}

TrackCountAnswer LookupWorkflow::CheckTrackCount(bool allowNewAlbum) {
    const std::size_t files = album_.files.size();
    const std::size_t tracks = album_.tracks.size();
    if (files == 0 || tracks == 0) {
        return TrackCountAnswer::kListEmpty;
    }
    if (files == tracks) {
        return TrackCountAnswer::kCountsEqual;
    }
    TrackCountAnswer answer = view_.AskTrackCount(files < tracks, allowNewAlbum);
    if (answer != TrackCountAnswer::kSelectNewAlbum && answer != TrackCountAnswer::kKeepAlbum) {
        answer = TrackCountAnswer::kCancelQuery;  // a closed or failed prompt keeps nothing
    }
    if (answer != TrackCountAnswer::kKeepAlbum) {
        DiscardTracks();
    }
    return answer;
}

void LookupWorkflow::DiscardTracks() {
    album_.tracks.clear();
    view_.ClearDatabaseList();
}

}  // namespace corvane
