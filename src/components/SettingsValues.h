#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/HttpFetch.h"

namespace corvane {

inline constexpr const char* kIniFileName = "Corvane Mp3.ini";
// The public services that answer when the settings name no other.
inline constexpr const char* kDefaultCddbHost = "gnudb.gnudb.org";
inline constexpr int kDefaultCddbPort = 80;
inline constexpr const char* kDefaultMusicBrainzServer = "https://musicbrainz.org";
// Level 6 answers in UTF-8, so titles in any script arrive whole; level 5
// (ISO-8859-1) stays the user's choice where it is stored.
inline constexpr int kDefaultCddbProtocolLevel = 6;
inline constexpr const char* kDefaultCoverArtServer = "https://coverartarchive.org";
// How many folders the recent list keeps.
inline constexpr std::size_t kMaxRecentFolders = 10;

// Every value the settings component keeps in "Corvane Mp3.ini". The program
// reads and writes them directly; the file stores each flag as 0 or 1.
struct SettingsValues {
    bool configured = false;
    bool showSplash = true;
    bool autoQuery = false;
    bool showStatusList = true;
    bool moveDependencies = true;
    bool confirmDependencies = true;
    // The optional columns shown: "Playtime" .. "Structure", "Track" .. "Genre".
    std::array<bool, 10> fileColumns{true, true, true, true, true, true, true, true, true, true};
    std::array<bool, 6> databaseColumns{true, true, true, true, true, true};
    std::string proxyHost;  // empty = no proxy
    int proxyPort = 80;
    int windowWidth = 0;
    int windowHeight = 0;
    bool windowMaximized = false;
    std::string lastFolder = "-";  // empty = not remembered; "-" = none yet
    bool createPlaylist = true;
    bool createDirectory = true;
    // The folders opened last, the newest first.
    std::vector<std::string> recentFolders;
    std::vector<std::string> userFormats{"%0 - %2", "%0 - [%4] - %2", "(%1) - %0 - %2"};
    std::string nameFormat = "%0 - %2";
    std::string caseMode = "Do nothing";  // the Convert Case combo's text, as selected
    std::string cddbEmail;                // used in the CDDB hello when set
    int cddbProtocolLevel = kDefaultCddbProtocolLevel;               // 5 (ISO-8859-1) or 6 (UTF-8)
    std::string cddbServer = std::string(kDefaultCddbHost) + ":80";  // "host" or "host:port"
    // The keyword search asks the CDDB server's search command; a host here
    // makes it read that host's web search page instead (older mirrors).
    std::string searchHost;
    // Asked when the CDDB disc id finds nothing, at this base URL.
    bool askMusicBrainz = true;
    std::string musicbrainzServer = kDefaultMusicBrainzServer;
    // The AcoustID application key; empty = no identification by sound.
    std::string acoustidKey;
    std::string acoustidServer = "https://api.acoustid.org";
    // Most players and phones read ID3v2.3 best; 4 writes ID3v2.4.
    int id3Version = 3;
    // The front cover of a release MusicBrainz found, from this archive, at
    // this size ("250", "500", "1200" or "full" for the original).
    std::string coverArtServer = kDefaultCoverArtServer;
    std::string coverSize = "500";
    bool saveCover = true;
    bool embedCover = true;
    bool replaceCover = false;  // a front cover the file has is replaced
    std::string iniPath;        // set by the program, not stored

    bool operator==(const SettingsValues&) const = default;
};

// The settings' proxy for the web services' requests.
inline FetchProxy SettingsProxy(const SettingsValues& settings) {
    FetchProxy proxy;
    proxy.host = settings.proxyHost;
    proxy.port = settings.proxyPort;
    return proxy;
}

}  // namespace corvane
