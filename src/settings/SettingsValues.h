#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cddb/DefaultServer.h"
#include "musicbrainz/DefaultServer.h"

namespace corvane {

inline constexpr const char* kIniFileName = "Corvane Mp3.ini";

// Every value the settings component keeps in "Corvane Mp3.ini". The program
// reads and writes them directly.
struct SettingsValues {
    std::uint8_t configured = 0;
    int showSplash = 1;
    int autoQuery = 0;
    int showStatusList = 1;
    int moveDependencies = 1;
    int confirmDependencies = 1;
    std::array<int, 10> fileColumns{1, 1, 1, 1, 1, 1, 1, 1, 1, 1};    // "Playtime" .. "Structure"
    std::array<int, 6> databaseColumns{1, 1, 1, 1, 1, 1};           // "Track" .. "Genre"
    std::string proxyHost;  // empty = no proxy
    int proxyPort = 80;
    int windowWidth = 0;
    int windowHeight = 0;
    int windowMaximized = 0;
    std::string lastFolder = "-";  // empty = not remembered; "-" = none yet
    int createPlaylist = 1;
    int createDirectory = 1;
    std::vector<std::string> userFormats{"%0 - %2", "%0 - [%4] - %2", "(%1) - %0 - %2"};
    std::string nameFormat = "%0 - %2";
    std::string cddbEmail;               // used in the CDDB hello when set
    int cddbProtocolLevel = 5;           // 5 (ISO-8859-1) or 6 (UTF-8)
    std::string cddbServer = std::string(kDefaultCddbHost) + ":80";  // "host" or "host:port"
    // Asked when the CDDB disc id finds nothing, at this base URL.
    bool askMusicBrainz = true;
    std::string musicbrainzServer = kDefaultMusicBrainzServer;
    std::string iniPath;                 // set by the program, not stored
};

}  // namespace corvane
