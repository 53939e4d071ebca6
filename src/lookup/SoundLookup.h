#pragma once

#include <string>
#include <vector>

#include "acoustid/AcoustIdClient.h"
#include "acoustid/AlbumChoice.h"
#include "acoustid/FolderFingerprints.h"
#include "album/AlbumFolder.h"

namespace corvane {

class LookupView;
class MusicBrainzClient;
struct SettingsValues;

enum class SoundOutcome {
    kAlbumRead,  // a release became the database track list, files paired by sound
    kNotFound,   // no key, no match, or the lookup failed: the road goes on
    kCancelled,  // the user closed the choice of releases
};

// The identification by sound of "&Query", after MusicBrainz by the table
// of contents: each file's fingerprint is looked up on AcoustID, the
// release that holds most of the files is chosen, its track list read from
// MusicBrainz, and each file is given the track of its own recording.
class SoundLookup {
public:
    // musicBrainz is the disc id lookup's client, so that its rate limit
    // counts these requests too.
    SoundLookup(AlbumFolder& album, LookupView& view, MusicBrainzClient& musicBrainz);

    // The key, the server and the proxy from the settings.
    void Configure(const SettingsValues& settings);
    // Where the worker threads get their component objects; by default from
    // the component loader.
    void SetObjectFactory(Mp3InfoFactory makeObject) { makeObject_ = std::move(makeObject); }

    SoundOutcome Run();
    // The last Run found the album by sound.
    bool Found() const { return found_; }

private:
    bool LookUpFiles(std::vector<AidAnswer>& answers);
    bool Choose(const std::vector<ReleaseChoice>& choices, std::size_t& chosen);
    bool ReadRelease(const ReleaseChoice& choice, const std::vector<AidAnswer>& answers);

    AlbumFolder& album_;
    LookupView& view_;
    MusicBrainzClient& musicBrainz_;
    SteadyRequestClock clock_;
    AcoustIdClient client_{clock_};
    std::string key_;
    Mp3InfoFactory makeObject_;
    bool found_ = false;
};

inline constexpr const char* kAcoustIdName = "AcoustID";

}  // namespace corvane
