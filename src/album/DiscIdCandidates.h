#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "album/DiscIdCalculator.h"
#include "album/TrackInfo.h"

namespace corvane {

// Where a disc id to try comes from.
enum class DiscIdSource {
    kEstimate,   // the lengths as the files give them
    kNeighbour,  // other whole-frame lengths within the estimates' ranges
    kTag,        // the files' tags
};

// One disc id to ask the server about, with the offsets that go with it.
struct DiscCandidate {
    std::uint32_t discId = 0;
    OffsetList offsets;
    DiscIdSource source = DiscIdSource::kEstimate;
    std::string frame;  // for a tag id: the frame it was read from

    bool operator==(const DiscCandidate&) const = default;
};

// Caps: ids offered for one folder, and queries sent for one lookup.
inline constexpr std::size_t kMaxCandidateIds = 16;
inline constexpr std::size_t kMaxIdQueries = 8;

// The id of the files' lengths as given (what DiscIdCalculator computes),
// then the other ids that the estimated lengths can give within their
// ranges of whole CD frames, likeliest first; at most maxIds. With every
// length exact, only the first.
std::vector<DiscCandidate> NeighbourDiscIds(const TrackList& files,
                                            std::size_t maxIds = kMaxCandidateIds);

// The ids that every file's tag carries alike: from "DISCID" / "CDDB DiscID"
// (with the offsets of the files' own lengths), from "iTunes_CDDB_1" and from
// MCDI (with the CD's offsets), in that order, each id once.
std::vector<DiscCandidate> TaggedDiscIds(const TrackList& files);

// What a lookup tries, in order: the tag ids, then NeighbourDiscIds, each id
// once, at most maxIds.
std::vector<DiscCandidate> LookupDiscIds(const TrackList& files,
                                         std::size_t maxIds = kMaxCandidateIds);

// The CD's own offsets when every file carries the same MCDI or
// "iTunes_CDDB_1" table; false otherwise.
bool TaggedOffsets(const TrackList& files, OffsetList& offsets);
// The "MusicBrainz Disc Id" every file carries alike; empty otherwise.
std::string TaggedMusicBrainzId(const TrackList& files);
// The "MusicBrainz Album Id" every file carries alike; empty otherwise.
std::string TaggedMusicBrainzAlbumId(const TrackList& files);

// The tag values: a freedb id as hex text; "ID+LEADOUT+COUNT+OFFSET..."
// (frames, the lead-out counted from the disc's start); an MCDI table (the
// drive's table of contents: a 4-byte header, then 8 bytes a track and the
// lead-out, addresses as logical blocks). False on anything else.
bool ParseCddbIdText(std::string_view text, std::uint32_t& discId);
bool ParseItunesCddb(std::string_view text, std::uint32_t& discId, OffsetList& offsets);
bool ParseCdToc(std::string_view bytes, OffsetList& offsets);

// The freedb id of an offsets list.
std::uint32_t DiscIdOfOffsets(const OffsetList& offsets);

}  // namespace corvane
