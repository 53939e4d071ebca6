#pragma once

#include <string>

#include "album/AlbumFolder.h"
#include "cddb/CddbRecords.h"
#include "musicbrainz/MusicBrainzClient.h"

namespace corvane {

class LookupView;
struct SettingsValues;

enum class MusicBrainzOutcome {
    kAlbumRead,  // a release was chosen and became the database track list
    kNotFound,   // nothing fits, or the lookup failed: the road goes on
    kCancelled,  // the user closed the choice of releases
};

// The MusicBrainz step of "&Query", after the CDDB disc id found nothing:
// the files' table of contents is looked up on the MusicBrainz server,
// several releases are offered to the user, and the chosen one becomes the
// database track list as a CDDB read does. Every step reports through the
// view.
class MusicBrainzLookup {
public:
    MusicBrainzLookup(AlbumFolder& album, LookupView& view) : album_(album), view_(view) {}

    // The server, the switch, the e-mail address for the User-Agent and
    // the proxy, from the settings.
    void Configure(const SettingsValues& settings);
    bool Enabled() const { return enabled_; }

    MusicBrainzOutcome Run();
    // The record the last kAlbumRead made the track list of (its release id
    // and medium are in extendedData).
    const DiscRecord& Record() const { return record_; }
    // The client, whose rate limit every MusicBrainz request keeps.
    MusicBrainzClient& Client() { return client_; }

private:
    AlbumFolder& album_;
    LookupView& view_;
    SteadyRequestClock clock_;
    MusicBrainzClient client_{clock_};
    bool enabled_ = true;
    DiscRecord record_;
};

// "Album found in MusicBrainz. Press ..." needs the service's name; the
// status lines of this step.
inline constexpr const char* kMusicBrainzName = "MusicBrainz";
std::string MusicBrainzDiscIdStatusText(const std::string& discId);

}  // namespace corvane
