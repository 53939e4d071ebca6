#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// The stand-in's answers for the services beside CDDB: the AcoustID lookup
// and the MusicBrainz release. Each gives the HTTP status line's text and
// the JSON body.
struct StandInAnswer {
    std::string status;  // "200 OK", "404 Not Found", ...
    std::string body;
};

// Fingerprints this alike or more are the same recording: a re-encode
// keeps well above it, unrelated sound stays near 0.5.
inline constexpr double kSameSoundSimilarity = 0.75;

// The share of equal bits (0..1) of two decoded Chromaprint fingerprints,
// counted over their overlap at the best of a few alignments; 0 when they
// barely overlap.
double FingerprintSimilarity(const std::vector<std::uint32_t>& a,
                             const std::vector<std::uint32_t>& b);

// /v2/lookup: each root/acoustid/*.json holds a "fingerprint" (as fpcalc
// prints it), optionally a "duration", an "id" and the "recordings" to
// answer. The asked fingerprint is compared with each; those similar enough
// are answered, most similar first, with the similarity as score. Errors as
// the service words them: no key, no or an undecodable fingerprint.
StandInAnswer AcoustIdLookup(const std::string& root, const std::string& client,
                             const std::string& duration, const std::string& fingerprint);

// /ws/2/release/MBID: root/musicbrainz/release/MBID.json, else the
// service's 404.
StandInAnswer MusicBrainzRelease(const std::string& root, const std::string& releaseId);

}  // namespace corvane
