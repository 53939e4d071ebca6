#include "acoustid/AcoustIdClient.h"

#include "platform/EscapedText.h"

#include "acoustid/AcoustIdParser.h"

namespace corvane {

namespace {

// Three requests a second at most.
constexpr auto kRequestGap = std::chrono::milliseconds(334);
constexpr long kTimeoutSeconds = 20;
constexpr std::size_t kMaxErrorText = 300;
constexpr const char* kMeta = "recordings releases releasegroups tracks compress";

AidLookup Failure(long status, const std::string& text) {
    AidLookup lookup;
    lookup.httpStatus = status;
    lookup.errorText = status == 0 ? "no answer: " + text : text;
    return lookup;
}

}  // namespace

void AcoustIdClient::Configure(const std::string& server, const std::string& key,
                               const FetchProxy& proxy) {
    server_ = server.empty() ? std::string(kDefaultAcoustIdServer) : server;
    while (!server_.empty() && server_.back() == '/') {
        server_.pop_back();
    }
    key_ = key;
    proxy_ = proxy;
}

std::string AcoustIdClient::RequestUrl() const {
    return server_ + "/v2/lookup";
}

std::string AcoustIdClient::RequestBody(const std::string& fingerprint, int seconds) const {
    return "client=" + FormEscaped(key_) + "&duration=" + std::to_string(seconds) +
           "&fingerprint=" + FormEscaped(fingerprint) + "&meta=" + FormEscaped(kMeta) +
           "&format=json";
}

AidLookup AcoustIdClient::Lookup(const std::string& fingerprint, int seconds) {
    if (lastAnswer_) {
        const RequestClock::TimePoint earliest = *lastAnswer_ + kRequestGap;
        if (clock_.Now() < earliest) {
            clock_.SleepUntil(earliest);
        }
    }
    FetchRequest request;
    request.url = RequestUrl();
    request.postForm = RequestBody(fingerprint, seconds);
    // "Expect:" keeps libcurl from waiting for a "100 Continue" first.
    request.headers = {"Accept: application/json", "Expect:"};
    request.userAgent = std::string("CorvaneMP3/") + CORVANE_VERSION;
    request.proxy = proxy_;
    request.timeoutSeconds = kTimeoutSeconds;
    request.maxBytes = kMaxAcoustIdAnswerBytes;
    const FetchResult result = FetchToMemory(request);
    lastAnswer_ = clock_.Now();
    if (!result.ok) {
        return Failure(result.httpStatus, result.error);
    }
    AidLookup lookup;
    lookup.httpStatus = result.httpStatus;
    std::string error;
    switch (ParseAcoustIdAnswer(result.body, lookup.answer, error)) {
        case AidParseResult::kResults:
            break;
        case AidParseResult::kError:
            return Failure(result.httpStatus, error.substr(0, kMaxErrorText));
        case AidParseResult::kGarbage:
            return Failure(result.httpStatus, "HTTP " + std::to_string(result.httpStatus) + ": " +
                                                  error.substr(0, kMaxErrorText));
    }
    if (result.httpStatus != 200) {
        return Failure(result.httpStatus, "HTTP " + std::to_string(result.httpStatus));
    }
    bool any = false;
    for (const AidResult& found : lookup.answer.results) {
        any = any || !found.recordings.empty();
    }
    lookup.status = any ? AidLookupStatus::kFound : AidLookupStatus::kNotFound;
    return lookup;
}

}  // namespace corvane
