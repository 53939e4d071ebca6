#include "musicbrainz/MusicBrainzClient.h"

#include <thread>

#include "components/SettingsValues.h"
#include "musicbrainz/AnswerParser.h"

namespace corvane {

namespace {

constexpr auto kRequestGap = std::chrono::seconds(1);
constexpr long kStatusNotFound = 404;
constexpr long kStatusUnavailable = 503;
constexpr std::size_t kMaxErrorText = 300;

// The server's own words for a failure: the error object's text, else the
// first line of the body.
std::string ServerErrorText(const std::string& body) {
    MbAnswer ignored;
    std::string error;
    if (ParseMusicBrainzAnswer(body, ignored, error) == MbParseResult::kError) {
        return error.substr(0, kMaxErrorText);
    }
    std::string line = body.substr(0, body.find_first_of("\r\n"));
    return line.substr(0, kMaxErrorText);
}

MbLookup Failure(long status, const std::string& text) {
    MbLookup lookup;
    lookup.httpStatus = status;
    lookup.errorText =
        status == 0 ? "no answer: " + text : "HTTP " + std::to_string(status) + ": " + text;
    return lookup;
}

}  // namespace

RequestClock::TimePoint SteadyRequestClock::Now() {
    return std::chrono::steady_clock::now();
}

void SteadyRequestClock::SleepUntil(TimePoint when) {
    std::this_thread::sleep_until(when);
}

void MusicBrainzClient::Configure(const std::string& server, const std::string& contact,
                                  const FetchProxy& proxy) {
    server_ = server.empty() ? std::string(kDefaultMusicBrainzServer) : server;
    while (!server_.empty() && server_.back() == '/') {
        server_.pop_back();
    }
    contact_ = contact;
    proxy_ = proxy;
}

std::string MusicBrainzClient::RequestUrl(const DiscToc& toc, const std::string& discId) const {
    const std::string server = server_.empty() ? std::string(kDefaultMusicBrainzServer) : server_;
    return server + "/ws/2/discid/" + discId + "?toc=" + TocParameter(toc) +
           "&inc=artist-credits+recordings+release-groups+genres&cdstubs=no&fmt=json";
}

std::string MusicBrainzClient::UserAgent() const {
    return std::string("CorvaneMP3/") + CORVANE_VERSION + " ( " +
           (contact_.empty() ? std::string(kDefaultMusicBrainzContact) : contact_) + " )";
}

FetchResult MusicBrainzClient::Fetch(const std::string& url) {
    if (lastAnswer_) {
        const RequestClock::TimePoint earliest = *lastAnswer_ + kRequestGap;
        if (clock_.Now() < earliest) {
            clock_.SleepUntil(earliest);
        }
    }
    FetchRequest request;
    request.url = url;
    request.userAgent = UserAgent();
    request.headers = {"Accept: application/json"};
    request.proxy = proxy_;
    request.timeoutSeconds = 30;
    request.maxBytes = kMaxMusicBrainzAnswerBytes;
    FetchResult result = FetchToMemory(request);
    lastAnswer_ = clock_.Now();
    return result;
}

MbLookup MusicBrainzClient::Lookup(const DiscToc& toc, const std::string& discId) {
    const std::string url = RequestUrl(toc, discId);
    FetchResult result = Fetch(url);
    if (result.ok && result.httpStatus == kStatusUnavailable) {
        result = Fetch(url);  // the rate limit of the service: once more, a second later
    }
    if (!result.ok) {
        return Failure(result.httpStatus, result.error);
    }
    MbLookup lookup;
    lookup.httpStatus = result.httpStatus;
    std::string error;
    const MbParseResult parsed = ParseMusicBrainzAnswer(result.body, lookup.answer, error);
    if (result.httpStatus == kStatusNotFound && parsed == MbParseResult::kError) {
        lookup.status = MbLookupStatus::kNotFound;
        return lookup;
    }
    if (result.httpStatus != 200) {
        return Failure(result.httpStatus, ServerErrorText(result.body));
    }
    if (parsed != MbParseResult::kReleases) {
        return Failure(result.httpStatus, error);
    }
    lookup.status =
        lookup.answer.releases.empty() ? MbLookupStatus::kNotFound : MbLookupStatus::kFound;
    return lookup;
}

std::string MusicBrainzClient::ReleaseUrl(const std::string& releaseId) const {
    const std::string server = server_.empty() ? std::string(kDefaultMusicBrainzServer) : server_;
    return server + "/ws/2/release/" + releaseId +
           "?inc=recordings+artist-credits+labels+discids&fmt=json";
}

MbLookup MusicBrainzClient::LookupRelease(const std::string& releaseId) {
    // An id is letters, digits and dashes: anything else would change the path.
    if (releaseId.empty() || releaseId.size() > 64 ||
        releaseId.find_first_not_of("0123456789abcdefABCDEF-") != std::string::npos) {
        return Failure(0, "not a release id: " + releaseId.substr(0, 64));
    }
    const std::string url = ReleaseUrl(releaseId);
    FetchResult result = Fetch(url);
    if (result.ok && result.httpStatus == kStatusUnavailable) {
        result = Fetch(url);
    }
    if (!result.ok) {
        return Failure(result.httpStatus, result.error);
    }
    MbLookup lookup;
    lookup.httpStatus = result.httpStatus;
    if (result.httpStatus == kStatusNotFound) {
        lookup.status = MbLookupStatus::kNotFound;
        return lookup;
    }
    if (result.httpStatus != 200) {
        return Failure(result.httpStatus, ServerErrorText(result.body));
    }
    MbRelease release;
    std::string error;
    if (ParseMusicBrainzRelease(result.body, release, error) != MbParseResult::kReleases) {
        return Failure(result.httpStatus, error);
    }
    lookup.answer.releases.push_back(std::move(release));
    lookup.status = MbLookupStatus::kFound;
    return lookup;
}

bool IsMusicBrainzServerText(const std::string& url) {
    std::size_t hostStart = 0;
    if (url.rfind("https://", 0) == 0) {
        hostStart = 8;
    } else if (url.rfind("http://", 0) == 0) {
        hostStart = 7;
    } else {
        return false;
    }
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F || c == '"' || c == '?' || c == '#') {
            return false;
        }
    }
    const std::size_t hostEnd = url.find_first_of(":/", hostStart);
    return (hostEnd == std::string::npos ? url.size() : hostEnd) > hostStart;
}

}  // namespace corvane
