#include "lookup/MusicBrainzLookup.h"

#include <algorithm>
#include <vector>

#include "album/DiscIdCandidates.h"
#include "cddb/CddbAgent.h"
#include "components/SettingsValues.h"
#include "lookup/LookupView.h"
#include "musicbrainz/ReleaseRecord.h"

namespace corvane {

namespace {

constexpr const char* kAsking = "Asking MusicBrainz... Please wait";
constexpr const char* kNoToc = "These files make no disc that MusicBrainz can look up.";
constexpr const char* kNotFound = "Disk not found in MusicBrainz by its table of contents.";
constexpr const char* kFuzzy =
    "MusicBrainz does not know this disc id; it offers releases of similar track lengths.";
constexpr const char* kCancelled = "Operation cancelled.";

// A release the files can take, with the medium they stand for.
struct Candidate {
    const MbRelease* release;
    const MbMedium* medium;
};

}  // namespace

std::string MusicBrainzDiscIdStatusText(const std::string& discId) {
    return "MusicBrainz DISC ID = " + discId;
}

void MusicBrainzLookup::Configure(const SettingsValues& settings) {
    enabled_ = settings.askMusicBrainz;
    client_.Configure(settings.musicbrainzServer, settings.cddbEmail, SettingsProxy(settings));
}

MusicBrainzOutcome MusicBrainzLookup::Run() {
    // A table the tags carry is the CD's own; so is a MusicBrainz id there.
    OffsetList tagged;
    const DiscToc toc =
        TaggedOffsets(album_.files, tagged) ? TocFromOffsets(tagged) : TocFromFiles(album_.files);
    const std::string taggedId = TaggedMusicBrainzId(album_.files);
    const std::string discId = taggedId.empty() ? MusicBrainzDiscId(toc) : taggedId;
    if (discId.empty()) {
        view_.AddStatus(kNoToc);
        return MusicBrainzOutcome::kNotFound;
    }
    view_.AddStatus(MusicBrainzDiscIdStatusText(discId));
    view_.AddStatus(kAsking);
    MbLookup lookup;
    {
        BusyScope busy(view_);
        lookup = client_.Lookup(toc, discId);
    }
    if (lookup.status == MbLookupStatus::kFailed) {
        view_.AddStatus("MusicBrainz lookup failed. " + lookup.errorText);
        return MusicBrainzOutcome::kNotFound;
    }
    std::vector<Candidate> candidates;
    for (const MbRelease& release : lookup.answer.releases) {
        if (const MbMedium* medium = ChooseMedium(release, toc, discId)) {
            candidates.push_back({&release, medium});
        }
    }
    if (candidates.empty()) {
        view_.AddStatus(kNotFound);
        return MusicBrainzOutcome::kNotFound;
    }
    if (lookup.answer.discId.empty()) {
        view_.AddStatus(kFuzzy);
    }
    // The release the files' tags name needs no choice.
    std::size_t chosen = 0;
    const std::string taggedAlbum = TaggedMusicBrainzAlbumId(album_.files);
    const auto named = std::find_if(candidates.begin(), candidates.end(), [&](const Candidate& c) {
        return !taggedAlbum.empty() && c.release->id == taggedAlbum;
    });
    if (named != candidates.end()) {
        chosen = static_cast<std::size_t>(named - candidates.begin());
    } else if (candidates.size() > 1) {
        std::vector<std::string> lines;
        for (const Candidate& candidate : candidates) {
            lines.push_back(ReleaseLine(*candidate.release));
        }
        if (!view_.ChooseRelease(lines, chosen) || chosen >= candidates.size()) {
            view_.AddStatus(kCancelled);
            return MusicBrainzOutcome::kCancelled;
        }
    }
    const Candidate& candidate = candidates[chosen];
    record_ = ToDiscRecord(*candidate.release, *candidate.medium, toc);
    const auto& ids = candidate.medium->discIds;
    if (std::find(ids.begin(), ids.end(), discId) != ids.end()) {
        record_.ids.musicBrainzDiscId = discId;
    }
    BuildTrackList(record_, album_.tracks);
    view_.ShowDatabaseList();
    return MusicBrainzOutcome::kAlbumRead;
}

}  // namespace corvane
