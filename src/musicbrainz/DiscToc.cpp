#include "musicbrainz/DiscToc.h"

#include <discid/discid.h>

#include <memory>

namespace corvane {

namespace {

std::int32_t Frames(const CdOffset& offset) {
    return (offset.minutes * 60 + offset.seconds) * 75 + offset.frames;
}

struct DiscIdDeleter {
    void operator()(DiscId* disc) const { discid_free(disc); }
};

}  // namespace

DiscToc TocFromOffsets(const OffsetList& offsets) {
    DiscToc toc;
    if (offsets.size() < 2) {
        return toc;
    }
    for (std::size_t i = 0; i + 1 < offsets.size(); ++i) {
        toc.offsets.push_back(Frames(offsets[i]));
    }
    toc.lastTrack = static_cast<int>(toc.offsets.size());
    toc.leadOut = Frames(offsets.back());
    return toc;
}

DiscToc TocFromFiles(const TrackList& files) {
    DiscIdCalculator calculator;
    calculator.ComputeDiscId(files);
    OffsetList offsets;
    calculator.GetOffsets(offsets);
    return TocFromOffsets(offsets);
}

std::string TocParameter(const DiscToc& toc) {
    std::string text = std::to_string(toc.firstTrack) + "+" + std::to_string(toc.lastTrack) + "+" +
                       std::to_string(toc.leadOut);
    for (const std::int32_t offset : toc.offsets) {
        text += "+" + std::to_string(offset);
    }
    return text;
}

std::string MusicBrainzDiscId(const DiscToc& toc) {
    // libdiscid takes the lead-out in slot 0 and the tracks from slot 1.
    const std::size_t count = toc.offsets.size();
    if (count == 0 || count > 99 || toc.firstTrack != 1) {
        return {};
    }
    int slots[100] = {};
    slots[0] = toc.leadOut;
    for (std::size_t i = 0; i < count; ++i) {
        slots[i + 1] = toc.offsets[i];
    }
    const std::unique_ptr<DiscId, DiscIdDeleter> disc(discid_new());
    if (!disc || !discid_put(disc.get(), 1, static_cast<int>(count), slots)) {
        return {};
    }
    const char* id = discid_get_id(disc.get());
    return id != nullptr ? std::string(id) : std::string();
}

std::int64_t TocLengthFrames(const DiscToc& toc) {
    return toc.offsets.empty() ? 0 : std::int64_t{toc.leadOut} - toc.offsets.front();
}

}  // namespace corvane
