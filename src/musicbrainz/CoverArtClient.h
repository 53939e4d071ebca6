#pragma once

#include <string>

#include "platform/HttpFetch.h"

namespace corvane {

// The limits of a cover download: an archive that does not answer in time,
// or sends more, gives no cover.
inline constexpr long kCoverTimeoutSeconds = 20;
inline constexpr std::size_t kMaxCoverBytes = 10 * 1024 * 1024;

enum class CoverFetchStatus {
    kFound,
    kNone,    // the archive has no front cover for the release (404)
    kFailed,  // no answer, an error status, or bytes that are no picture
};

struct CoverFetch {
    CoverFetchStatus status = CoverFetchStatus::kFailed;
    std::string bytes;
    std::string mime;       // "image/jpeg" or "image/png"
    std::string errorText;  // for kFailed: why, in words
};

// "SERVER/release/MBID/front-500" (size "250", "500", "1200"), or
// ".../front" for "full", the original.
std::string CoverArtUrl(const std::string& server, const std::string& releaseId,
                        const std::string& size);

// The picture type of the bytes by their signature: "image/jpeg",
// "image/png", or empty for anything else.
std::string PictureMime(const std::string& bytes);

// What an answer of the archive means.
CoverFetch CoverFromAnswer(const FetchResult& answer);

// GET of the release's front cover from the Cover Art Archive (or a mirror),
// following its redirect, through the proxy, within the limits above.
CoverFetch FetchFrontCover(const std::string& url, const std::string& userAgent,
                           const FetchProxy& proxy, long timeoutSeconds = kCoverTimeoutSeconds);

}  // namespace corvane
