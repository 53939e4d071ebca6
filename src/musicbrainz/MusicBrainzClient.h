#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "musicbrainz/DiscToc.h"
#include "musicbrainz/ReleaseRecords.h"
#include "platform/HttpFetch.h"

namespace corvane {

// Where the User-Agent points when the settings hold no e-mail address.
inline constexpr const char* kDefaultMusicBrainzContact = "https://github.com/corvane/corvane-mp3";

// The time the rate limit reads and waits on; tests give one that only
// pretends to sleep.
class RequestClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~RequestClock() = default;
    virtual TimePoint Now() = 0;
    virtual void SleepUntil(TimePoint when) = 0;
};

class SteadyRequestClock : public RequestClock {
public:
    TimePoint Now() override;
    void SleepUntil(TimePoint when) override;
};

enum class MbLookupStatus {
    kFound,     // one release or more
    kNotFound,  // the server knows neither the disc id nor a disc of this table
    kFailed,    // no answer, an error status or an answer that is not one
};

struct MbLookup {
    MbLookupStatus status = MbLookupStatus::kFailed;
    MbAnswer answer;
    long httpStatus = 0;    // 0 when no answer arrived
    std::string errorText;  // for kFailed: "HTTP 503: the server's error text"
};

// The disc id lookup on the MusicBrainz web service: exact by the
// MusicBrainz disc id, fuzzy by the table of contents. It keeps to the
// service's rule of at most one request a second (counted from the end of
// the previous answer) and tries once more, a second later, after a 503.
class MusicBrainzClient {
public:
    explicit MusicBrainzClient(RequestClock& clock) : clock_(clock) {}

    // The server's base URL ("https://musicbrainz.org", a mirror, a local
    // stand-in); the contact for the User-Agent (the settings' e-mail
    // address, or empty); the proxy of the settings.
    void Configure(const std::string& server, const std::string& contact, const FetchProxy& proxy);

    std::string RequestUrl(const DiscToc& toc, const std::string& discId) const;
    // "CorvaneMP3/2.0.0 ( contact )".
    std::string UserAgent() const;

    MbLookup Lookup(const DiscToc& toc, const std::string& discId);

    // One release with its tracks' recordings (a release id that AcoustID
    // named): kFound with the release as answer.releases[0].
    std::string ReleaseUrl(const std::string& releaseId) const;
    MbLookup LookupRelease(const std::string& releaseId);

private:
    FetchResult Fetch(const std::string& url);

    RequestClock& clock_;
    std::optional<RequestClock::TimePoint> lastAnswer_;
    std::string server_;
    std::string contact_;
    FetchProxy proxy_;
};

// True for "http://HOST[:PORT][/PATH]" or "https://...", without blanks or
// quotes: what the settings accept as the MusicBrainz server.
bool IsMusicBrainzServerText(const std::string& url);

}  // namespace corvane
