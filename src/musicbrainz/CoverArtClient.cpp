#include "musicbrainz/CoverArtClient.h"

namespace corvane {

std::string CoverArtUrl(const std::string& server, const std::string& releaseId,
                        const std::string& size) {
    std::string base = server;
    while (!base.empty() && base.back() == '/') {
        base.pop_back();
    }
    const std::string front = size == "full" || size.empty() ? "front" : "front-" + size;
    return base + "/release/" + releaseId + "/" + front;
}

std::string PictureMime(const std::string& bytes) {
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xFF\xD8\xFF") == 0) {
        return "image/jpeg";
    }
    if (bytes.size() >= 8 && bytes.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0) {
        return "image/png";
    }
    return {};
}

CoverFetch CoverFromAnswer(const FetchResult& answer) {
    CoverFetch cover;
    if (!answer.ok) {
        cover.errorText = answer.error;
    } else if (answer.httpStatus == 404) {
        cover.status = CoverFetchStatus::kNone;
    } else if (answer.httpStatus != 200) {
        cover.errorText = "HTTP " + std::to_string(answer.httpStatus);
    } else if (cover.mime = PictureMime(answer.body); cover.mime.empty()) {
        cover.errorText = "the answer is no JPEG or PNG picture";
    } else {
        cover.status = CoverFetchStatus::kFound;
        cover.bytes = answer.body;
    }
    return cover;
}

CoverFetch FetchFrontCover(const std::string& url, const std::string& userAgent,
                           const FetchProxy& proxy, long timeoutSeconds) {
    FetchRequest request;
    request.url = url;
    request.userAgent = userAgent;
    request.proxy = proxy;
    request.timeoutSeconds = timeoutSeconds;
    request.maxBytes = kMaxCoverBytes;
    return CoverFromAnswer(FetchToMemory(request));
}

}  // namespace corvane
