#pragma once

namespace corvane {

// The MusicBrainz web service that answers when the settings name no other.
inline constexpr const char* kDefaultMusicBrainzServer = "https://musicbrainz.org";

}  // namespace corvane
