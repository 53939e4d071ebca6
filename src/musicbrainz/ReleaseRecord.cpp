#include "musicbrainz/ReleaseRecord.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

#include "album/Id3Genres.h"

namespace corvane {

namespace {

constexpr std::int64_t kLeadInFrames = 150;

std::int64_t FramesOfMs(int ms) {
    return (std::int64_t{ms} * 75 + 500) / 1000;
}

bool AllLengthsKnown(const MbMedium& medium) {
    for (const MbTrack& track : medium.tracks) {
        if (track.lengthMs <= 0) {
            return false;
        }
    }
    return true;
}

std::int64_t LengthFrames(const MbMedium& medium) {
    std::int64_t frames = 0;
    for (const MbTrack& track : medium.tracks) {
        frames += FramesOfMs(track.lengthMs);
    }
    return frames;
}

bool HoldsDisc(const MbMedium& medium, const std::string& discId) {
    for (const std::string& id : medium.discIds) {
        if (!discId.empty() && id == discId) {
            return true;
        }
    }
    return false;
}

// "CD", "2×CD", "CD + DVD-Video": the media's formats, runs counted.
std::string MediaSummary(const MbRelease& release) {
    std::string text;
    for (std::size_t i = 0; i < release.media.size();) {
        const std::string& format = release.media[i].format;
        std::size_t run = 1;
        while (i + run < release.media.size() && release.media[i + run].format == format) {
            ++run;
        }
        i += run;
        if (format.empty()) {
            continue;
        }
        text += (text.empty() ? "" : " + ") + (run > 1 ? std::to_string(run) + "×" : "") + format;
    }
    return text;
}

}  // namespace

int YearOfDate(const std::string& date) {
    int year = 0;
    std::size_t digits = 0;
    while (digits < date.size() && digits < 4 && date[digits] >= '0' && date[digits] <= '9') {
        year = year * 10 + (date[digits] - '0');
        ++digits;
    }
    return digits == 4 ? year : 0;
}

const MbMedium* ChooseMedium(const MbRelease& release, const DiscToc& toc,
                             const std::string& discId) {
    const MbMedium* best = nullptr;
    bool bestCountFits = false;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    const std::int64_t wanted = TocLengthFrames(toc);
    for (const MbMedium& medium : release.media) {
        if (medium.tracks.empty()) {
            continue;
        }
        if (HoldsDisc(medium, discId)) {
            return &medium;
        }
        const bool countFits = medium.tracks.size() == toc.offsets.size();
        const std::int64_t distance = std::llabs(LengthFrames(medium) - wanted);
        if (best == nullptr || (countFits && !bestCountFits) ||
            (countFits == bestCountFits && distance < bestDistance)) {
            best = &medium;
            bestCountFits = countFits;
            bestDistance = distance;
        }
    }
    return best;
}

DiscRecord ToDiscRecord(const MbRelease& release, const MbMedium& medium, const DiscToc& toc) {
    DiscRecord record;
    record.artist = release.artist;
    record.album = release.title;
    record.year = YearOfDate(release.date);
    const std::string id3Genre = Id3GenreSpelling(release.genre);
    record.genre = id3Genre.empty() ? release.genre : id3Genre;
    record.extendedData = "MusicBrainz release " + release.id;
    record.ids.musicBrainzAlbumId = release.id;
    record.ids.musicBrainzAlbumArtistId = release.artistIds;
    record.ids.musicBrainzReleaseGroupId = release.releaseGroupId;
    if (release.media.size() > 1) {
        record.discNumber = medium.position;
        record.discCount = static_cast<std::int32_t>(release.media.size());
        record.extendedData += ", disc " + std::to_string(medium.position) + " of " +
                               std::to_string(release.media.size());
    }

    const bool useToc = !AllLengthsKnown(medium) && toc.offsets.size() == medium.tracks.size();
    std::int64_t position = kLeadInFrames;
    bool compilation = false;
    for (std::size_t i = 0; i < medium.tracks.size(); ++i) {
        const MbTrack& track = medium.tracks[i];
        record.frameOffsets.push_back(
            static_cast<std::int32_t>(useToc ? toc.offsets[i] : position));
        position += FramesOfMs(track.lengthMs);
        record.trackTitles.push_back(track.title);
        record.recordingIds.push_back(track.recordingId);
        record.trackExtended.emplace_back();
        compilation = compilation || (!track.artist.empty() && track.artist != release.artist);
    }
    const std::int64_t end = useToc ? toc.leadOut : position;
    record.discLength = static_cast<std::int32_t>(end / 75);
    if (compilation) {
        for (const MbTrack& track : medium.tracks) {
            record.trackArtists.push_back(track.artist.empty() ? release.artist : track.artist);
        }
    }
    return record;
}

std::string ReleaseLine(const MbRelease& release) {
    std::string details;
    const int year = YearOfDate(release.date);
    for (const std::string& part : {year != 0 ? std::to_string(year) : std::string(),
                                    release.country, MediaSummary(release)}) {
        if (!part.empty()) {
            details += (details.empty() ? "" : ", ") + part;
        }
    }
    std::string line = release.artist + " / " + release.title;
    return details.empty() ? line : line + " (" + details + ")";
}

}  // namespace corvane
