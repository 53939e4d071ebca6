#pragma once

#include <optional>
#include <string>

#include "acoustid/AcoustIdRecords.h"
#include "musicbrainz/MusicBrainzClient.h"  // RequestClock
#include "platform/HttpFetch.h"

namespace corvane {

inline constexpr const char* kDefaultAcoustIdServer = "https://api.acoustid.org";
// Where a free application key is registered.
inline constexpr const char* kAcoustIdKeyPage = "https://acoustid.org/new-application";

enum class AidLookupStatus {
    kFound,     // results came (a recording or more)
    kNotFound,  // the service knows no recording of this fingerprint
    kFailed,    // no answer, an error answer or one that is not an answer
};

struct AidLookup {
    AidLookupStatus status = AidLookupStatus::kFailed;
    AidAnswer answer;
    long httpStatus = 0;    // 0 when no answer arrived
    std::string errorText;  // for kFailed: the service's message, or what went wrong
};

// The fingerprint lookup on the AcoustID web service (POST /v2/lookup). It
// keeps to the service's rule of at most three requests a second, counted
// from the end of the previous answer, and gives each request 20 seconds.
class AcoustIdClient {
public:
    explicit AcoustIdClient(RequestClock& clock) : clock_(clock) {}

    // The server's base URL (the service, a mirror, a local stand-in), the
    // application key and the proxy of the settings.
    void Configure(const std::string& server, const std::string& key, const FetchProxy& proxy);

    std::string RequestUrl() const;
    // The form: client, duration (whole seconds), fingerprint, meta, format.
    std::string RequestBody(const std::string& fingerprint, int seconds) const;

    AidLookup Lookup(const std::string& fingerprint, int seconds);

private:
    RequestClock& clock_;
    std::optional<RequestClock::TimePoint> lastAnswer_;
    std::string server_ = kDefaultAcoustIdServer;
    std::string key_;
    FetchProxy proxy_;
};

}  // namespace corvane
