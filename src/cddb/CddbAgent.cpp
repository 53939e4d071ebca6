#include "cddb/CddbAgent.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "cddb/AnswerText.h"
#include "components/SettingsValues.h"
#include "platform/ComboBox.h"
#include "platform/SocketErrors.h"

namespace corvane {

CddbAgent::CddbAgent(DiscChooser* chooser, ErrorNotifier* notifier)
    : defaultHost_(kDefaultCddbHost), chooser_(chooser), notifier_(notifier) {
    currentSite_.host = defaultHost_;
}

void CddbAgent::SetDefaultServer(const std::string& host, int port) {
    defaultHost_ = host;
    defaultPort_ = port;
}

void CddbAgent::SelectSiteFromCombo(const ComboBox& combo) {
    const std::string text = combo.SelectedText();
    const std::size_t at = text.rfind(':');
    currentSite_.host = at == std::string::npos ? std::string() : text.substr(0, at);
}

void CddbAgent::SetSite(const std::string& host, int port) {
    currentSite_.host = host;
    currentSite_.port = port;
}

std::string UnreachableText(const std::string& host, int port, int code) {
    if (!IsUnreachable(code)) {
        return {};
    }
    return "Cannot reach the CDDB server " + SiteEntryText(host, port) + ": " +
           SocketErrorWords(code) + " (error " + std::to_string(code) + ").";
}

void CddbAgent::SetErrorFromLastAnswer() {
    errorText_ =
        "Error: " + std::to_string(ErrorCode()) + ", Response:" + OneLineAnswer(LastAnswer());
}

bool CddbAgent::GetMotd(std::string& text) {
    std::string message;
    if (Motd(currentSite_, message)) {
        motd_ = message;
    } else {
        motd_.clear();
        SetErrorFromLastAnswer();
    }
    text = motd_;
    return !motd_.empty();
}

CddbAgent::LookupResult CddbAgent::Lookup(std::uint32_t discId, const OffsetList& offsets) {
    std::vector<DiscMatch> matches;
    if (!Query(currentSite_, discId, offsets, matches)) {
        SetErrorFromLastAnswer();
        return LookupResult::kNotFound;
    }
    return ChooseAndRead(matches);
}

CddbAgent::LookupResult CddbAgent::ChooseAndRead(const std::vector<DiscMatch>& matches) {
    std::size_t chosen = 0;
    if (matches.size() > 1) {
        if (chooser_ == nullptr || !chooser_->ChooseDisc(matches, chosen) ||
            chosen >= matches.size()) {
            return LookupResult::kChoiceCancelled;
        }
    }
    const DiscMatch& match = matches[chosen];
    if (!Read(currentSite_, match.discId, match.category, record_)) {
        SetErrorFromLastAnswer();
        return LookupResult::kReadFailed;
    }
    return LookupResult::kRecordRead;
}

bool CddbAgent::ReadRecord(std::uint32_t discId, const std::string& category) {
    if (Read(currentSite_, discId, category, record_)) {
        return true;
    }
    SetErrorFromLastAnswer();
    if (notifier_ != nullptr) {
        notifier_->ShowError(errorText_);
    }
    return false;
}

bool CddbAgent::SearchAlbums(const std::string& artistWords, const std::string& albumWords,
                             std::vector<DiscMatch>& matches) {
    if (Search(currentSite_, artistWords, albumWords, matches)) {
        return true;
    }
    SetErrorFromLastAnswer();
    return false;
}

std::string CddbAgent::EmailAdvice() const {
    const std::string& answer = LastAnswer();
    const std::size_t body = FindBody(answer);
    const std::string_view status =
        std::string_view(answer).substr(body == std::string::npos ? 0 : body);
    std::string firstLine(status.substr(0, status.find('\n')));
    std::transform(firstLine.begin(), firstLine.end(), firstLine.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const int code = StatusCode(firstLine);
    const bool namesEmail = firstLine.find("email") != std::string::npos ||
                            firstLine.find("e-mail") != std::string::npos;
    if (code < 500 || code > 599 || !namesEmail) {
        return {};
    }
    return "The CDDB server wants a registered e-mail address: register one at gnudb.org, then "
           "enter it in the settings (Network tab, CDDB server, E-mail address).";
}

std::string SiteEntryText(const std::string& host, int port) {
    return host + ":" + std::to_string(port);
}

bool CddbAgent::FillSiteCombo(ComboBox& combo) {
    CddbSite site;
    site.host = defaultHost_;
    site.port = defaultPort_;
    if (!Sites(site, siteList_) || siteList_.empty()) {
        errorText_ =
            "Cannot retrieve list of CDDB sites (error " + std::to_string(ErrorCode()) + ")";
        return false;
    }
    combo.Clear();
    for (const CddbSite& entry : siteList_) {
        combo.AddSorted(SiteEntryText(entry.host, entry.port));
    }
    return true;
}

std::vector<std::uint32_t> TrackLengths(const DiscRecord& record) {
    const std::size_t count = record.trackTitles.size();
    std::vector<std::uint32_t> lengths;
    std::int64_t start = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const bool last = i + 1 == count;
        if (!last && i + 1 >= record.frameOffsets.size()) {
            // The offsets run out: the remaining tracks share what is left of
            // the disc length evenly, the last one taking the remainder.
            const auto left = static_cast<std::int64_t>(count - i);
            const std::int64_t rest = std::max<std::int64_t>(0, record.discLength - start);
            for (std::int64_t k = 0; k < left; ++k) {
                lengths.push_back(
                    static_cast<std::uint32_t>(rest / left + (k + 1 == left ? rest % left : 0)));
            }
            break;
        }
        const std::int64_t end = last ? record.discLength : record.frameOffsets[i + 1] / 75;
        // Offsets that go backwards would otherwise give a negative length.
        const std::int64_t length = std::max<std::int64_t>(0, end - start);
        lengths.push_back(static_cast<std::uint32_t>(length));
        start += length;
    }
    return lengths;
}

bool CddbAgent::BuildTrackList(TrackList& tracks) const {
    return corvane::BuildTrackList(record_, tracks);
}

namespace {

// What other programs read beside the seven fields: the album's artist, the
// track and disc counts, and the ids that found the album.
void AddAlbumFields(const DiscRecord& record, std::size_t index, TrackInfo& track) {
    track.albumArtist = record.artist;
    track.trackCount = static_cast<std::int32_t>(record.trackTitles.size());
    track.discNumber = record.discNumber;
    track.discCount = record.discCount;
    track.ids = record.ids;
    if (record.ids.musicBrainzAlbumId.empty() && record.discId != 0) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", record.discId);
        track.ids.cddbDiscId = hex;
    }
    if (index < record.recordingIds.size()) {
        track.ids.musicBrainzRecordingId = record.recordingIds[index];
    }
}

// A "Various" disc whose every track title is "Artist / Title": the
// freedb way of giving a compilation's track artists.
bool IsCompilation(const DiscRecord& record) {
    std::string artist = record.artist;
    for (char& c : artist) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return record.trackArtists.empty() && !record.trackTitles.empty() &&
           (artist == "various" || artist == "various artists") &&
           std::all_of(
               record.trackTitles.begin(), record.trackTitles.end(), [](const std::string& title) {
                   const std::size_t slash = title.find(" / ");
                   return slash != std::string::npos && slash > 0 && slash + 3 < title.size();
               });
}

}  // namespace

bool BuildTrackList(const DiscRecord& record, TrackList& tracks) {
    tracks.clear();
    if (record.discLength == 0) {
        return false;
    }
    const std::vector<std::uint32_t> lengths = TrackLengths(record);
    const bool compilation = IsCompilation(record);
    for (std::size_t i = 0; i < record.trackTitles.size(); ++i) {
        TrackInfo track;
        track.Clear();
        const std::string number = std::to_string(i + 1);
        track.fileName = number;
        track.artist = i < record.trackArtists.size() ? record.trackArtists[i] : record.artist;
        track.album = record.album;
        track.title = record.trackTitles[i];
        if (compilation) {
            const std::size_t slash = track.title.find(" / ");
            track.artist = track.title.substr(0, slash);
            track.title = track.title.substr(slash + 3);
        }
        track.year = std::to_string(record.year);
        track.genre = record.genre;
        track.comment = i < record.trackExtended.size() ? record.trackExtended[i] : std::string();
        track.track = number;
        track.playSeconds = lengths[i];
        track.playTime = static_cast<double>(lengths[i]);
        AddAlbumFields(record, i, track);
        tracks.push_back(track);
    }
    return true;
}

bool CddbAgent::QueryCandidates(const std::vector<DiscCandidate>& candidates,
                                std::size_t maxQueries, std::vector<DiscMatch>& matches,
                                std::size_t& found, const QueryNotice& beforeQuery) {
    matches.clear();
    unreadableAnswer_.reset();
    const std::size_t tries = std::min(candidates.size(), maxQueries);
    for (std::size_t i = 0; i < tries; ++i) {
        if (beforeQuery) {
            beforeQuery(i);
        }
        // Each query's own outcome: a 202 leaves the code at 0.
        SetErrorCode(0);
        if (Query(currentSite_, candidates[i].discId, candidates[i].offsets, matches)) {
            found = i;
            return true;
        }
        SetErrorFromLastAnswer();
        if (IsUnreachable(ErrorCode())) {
            return false;  // asking again would only wait as long again
        }
        if (ErrorCode() != 0) {
            // An answer that could not be read (too long, no CDDB, cut
            // short) says nothing of the next id, which the server may know.
            unreadableAnswer_ = OneLineAnswer(LastAnswer());
        }
    }
    return false;
}

CddbAgent::LookupResult CddbAgent::LookupCandidates(const std::vector<DiscCandidate>& candidates,
                                                    std::size_t maxQueries, std::size_t& found,
                                                    const QueryNotice& beforeQuery) {
    std::vector<DiscMatch> matches;
    if (!QueryCandidates(candidates, maxQueries, matches, found, beforeQuery)) {
        return LookupResult::kNotFound;
    }
    return ChooseAndRead(matches);
}

}  // namespace corvane
