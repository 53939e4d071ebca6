#include "lookup/SoundLookup.h"

#include "cddb/CddbAgent.h"
#include "components/SettingsValues.h"
#include "lookup/LookupView.h"
#include "musicbrainz/DiscToc.h"
#include "musicbrainz/MusicBrainzClient.h"
#include "musicbrainz/ReleaseRecord.h"

namespace corvane {

namespace {

constexpr const char* kNoKey =
    "No AcoustID application key is set (Settings, Network): the files are not identified "
    "by sound.";
constexpr const char* kAsking = "Identifying the files by sound with AcoustID... Please wait";
constexpr const char* kNoFingerprint = "No file could be fingerprinted.";
constexpr const char* kUnknownSound = "AcoustID knows none of these files by their sound.";
constexpr const char* kNoAlbum = "AcoustID names no album that holds most of these files.";
constexpr const char* kCancelled = "Operation cancelled.";

// "Title (1999) - [release id]".
std::string ChoiceLine(const ReleaseChoice& choice) {
    std::string line = choice.title.empty() ? std::string("?") : choice.title;
    if (choice.date > 0) {
        line += " (" + std::to_string(choice.date / 10000) + ")";
    }
    return line + " - [" + choice.releaseId + "]";
}

const MbMedium* MediumAt(const MbRelease& release, int position) {
    const MbMedium* first = nullptr;
    for (const MbMedium& medium : release.media) {
        if (medium.tracks.empty()) {
            continue;
        }
        if (medium.position == position) {
            return &medium;
        }
        first = first != nullptr ? first : &medium;
    }
    return first;
}

}  // namespace

SoundLookup::SoundLookup(AlbumFolder& album, LookupView& view, MusicBrainzClient& musicBrainz)
    : album_(album), view_(view), musicBrainz_(musicBrainz) {
    makeObject_ = [] { return ComponentLoader().LoadMp3Info(); };
}

void SoundLookup::Configure(const SettingsValues& settings) {
    key_ = settings.acoustidKey;
    client_.Configure(settings.acoustidServer, settings.acoustidKey, SettingsProxy(settings));
}

SoundOutcome SoundLookup::Run() {
    found_ = false;
    for (TrackInfo& file : album_.files) {
        file.soundKey.clear();
    }
    if (key_.empty()) {
        view_.AddStatus(kNoKey);
        return SoundOutcome::kNotFound;
    }
    view_.AddStatus(kAsking);
    std::vector<AidAnswer> answers;
    std::vector<ReleaseChoice> choices;
    {
        BusyScope busy(view_);
        if (!LookUpFiles(answers)) {
            return SoundOutcome::kNotFound;
        }
        choices = ChooseReleases(answers);
    }
    if (choices.empty()) {
        view_.AddStatus(kNoAlbum);
        return SoundOutcome::kNotFound;
    }
    std::size_t chosen = 0;
    if (!Choose(choices, chosen)) {
        view_.AddStatus(kCancelled);
        return SoundOutcome::kCancelled;
    }
    if (!ReadRelease(choices[chosen], answers)) {
        return SoundOutcome::kNotFound;
    }
    found_ = true;
    return SoundOutcome::kAlbumRead;
}

// One answer per file; false (with the reason shown) when nothing can come
// of it. A failure stops the lookup: a refused key or a lost connection
// would fail every other file too.
bool SoundLookup::LookUpFiles(std::vector<AidAnswer>& answers) {
    std::vector<std::string> paths;
    for (const TrackInfo& file : album_.files) {
        paths.push_back(file.filePath);
    }
    const std::vector<FileFingerprint> prints = FingerprintFiles(paths, makeObject_);
    answers.assign(prints.size(), AidAnswer{});
    bool anyPrint = false;
    bool anyFound = false;
    for (std::size_t i = 0; i < prints.size(); ++i) {
        if (!prints[i].ok) {
            continue;
        }
        anyPrint = true;
        // The scan's exact length is better than the decoder's estimate.
        const std::uint32_t seconds = album_.files[i].playSeconds;
        const AidLookup lookup = client_.Lookup(
            prints[i].fingerprint, seconds > 0 ? static_cast<int>(seconds) : prints[i].seconds);
        if (lookup.status == AidLookupStatus::kFailed) {
            view_.AddStatus("AcoustID lookup failed. " + lookup.errorText);
            return false;
        }
        anyFound = anyFound || lookup.status == AidLookupStatus::kFound;
        answers[i] = lookup.answer;
    }
    if (!anyPrint || !anyFound) {
        view_.AddStatus(anyPrint ? kUnknownSound : kNoFingerprint);
        return false;
    }
    return true;
}

bool SoundLookup::Choose(const std::vector<ReleaseChoice>& choices, std::size_t& chosen) {
    const std::size_t tied = TiedChoices(choices);
    if (tied < 2) {
        chosen = 0;
        return true;
    }
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < tied; ++i) {
        lines.push_back(ChoiceLine(choices[i]));
    }
    return view_.ChooseRelease(lines, chosen) && chosen < tied;
}

// The release's track list from MusicBrainz becomes the database track list;
// each file that named a track gets that track's key.
bool SoundLookup::ReadRelease(const ReleaseChoice& choice, const std::vector<AidAnswer>& answers) {
    MbLookup lookup;
    {
        BusyScope busy(view_);
        lookup = musicBrainz_.LookupRelease(choice.releaseId);
    }
    if (lookup.status != MbLookupStatus::kFound) {
        view_.AddStatus("MusicBrainz lookup failed. " +
                        (lookup.errorText.empty()
                             ? "It does not know the release " + choice.releaseId + "."
                             : lookup.errorText));
        return false;
    }
    const MbRelease& release = lookup.answer.releases.front();
    const MbMedium* medium = MediumAt(release, choice.medium);
    if (medium == nullptr) {
        view_.AddStatus(kNoAlbum);
        return false;
    }
    BuildTrackList(ToDiscRecord(release, *medium, TocFromFiles(album_.files)), album_.tracks);
    for (std::size_t t = 0; t < album_.tracks.size(); ++t) {
        album_.tracks[t].soundKey = "track " + std::to_string(t + 1);
    }
    const std::vector<int> paired = PairByRecording(answers, release.id, *medium);
    int named = 0;
    for (std::size_t i = 0; i < paired.size() && i < album_.files.size(); ++i) {
        const auto track = static_cast<std::size_t>(paired[i]);
        if (paired[i] >= 0 && track < album_.tracks.size()) {
            album_.files[i].soundKey = album_.tracks[track].soundKey;
            ++named;
        }
    }
    view_.ShowDatabaseList();
    view_.AddStatus("Found \"" + release.artist + " / " + release.title +
                    "\" by sound: " + std::to_string(named) + " of " +
                    std::to_string(album_.files.size()) + " files named their track.");
    return true;
}

}  // namespace corvane
