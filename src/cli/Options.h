#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/DependencyPlan.h"
#include "components/SettingsValues.h"

namespace corvane::cli {

// One option of a command: a flag that sets its target, or an option whose
// value (the next argument) goes to take, which returns what is wrong with
// it, or an empty text.
struct Option {
    std::string name;  // "--server"
    std::function<std::string(const std::string& value)> take;
    bool* flag = nullptr;
    bool flagValue = true;
};

Option Flag(std::string name, bool& target, bool value = true);
Option Valued(std::string name, std::function<std::string(const std::string&)> take);
// Any text as the value.
Option Text(std::string name, std::optional<std::string>& target);
// "HOST" or "HOST:PORT".
Option ServerAddress(std::string name, std::optional<std::string>& target);
// The http:// or https:// address of a web service.
Option ServiceUrl(std::string name, std::string& target);
Option ServiceUrl(std::string name, std::optional<std::string>& target);

// The one parser of every command: options may stand anywhere, other words
// are positional, and "--" ends the options so that a later word may start
// with "--". Returns an empty text or what is wrong.
std::string ParseArguments(const Arguments& arguments, const std::vector<Option>& options,
                           std::vector<std::string>& positional);

struct ScanOptions {
    std::string folder;
    bool json = false;
};

// The identification by sound: the AcoustID key and server, or none.
struct AcoustIdOptions {
    std::optional<std::string> key;
    std::optional<std::string> server;
    bool off = false;  // --no-acoustid
};

struct ApplyOptions {
    std::string folder;
    std::optional<std::string> server;
    std::optional<std::string> format;
    std::string caseMode;
    bool createDirectory = true;
    bool createPlaylist = true;
    int choose = 0;  // 1-based; 0 = not given
    bool keep = false;
    bool dryRun = false;
    DependencyChoice dependencies;
    std::optional<std::string> musicbrainzServer;
    std::optional<std::string> pairing;  // "file name<TAB>track number" lines
    bool noMusicBrainz = false;
    std::optional<std::string> coverArtServer;
    std::optional<std::string> coverSize;  // "250", "500", "1200" or "full"
    bool noCoverArt = false;
    bool id3v24 = false;
    AcoustIdOptions acoustid;
    bool search = false;      // the keyword search instead of the disc id
    std::string searchWords;  // empty: the words proposed from the files
};

struct CddbOptions {
    std::vector<std::string> positional;
    std::optional<std::string> server;
    std::optional<std::string> proxy;
    std::optional<std::string> proxyUser;
    std::optional<std::string> proxyPasswordFile;
    std::optional<std::string> email;
    int protocolLevel = kDefaultCddbProtocolLevel;
    bool json = false;
    bool musicbrainz = false;  // query only
    std::string musicbrainzServer;
    AcoustIdOptions acoustid;        // query only
    std::optional<std::string> web;  // search only: the web search page's host
};

// False for a usage error.
bool ParseOptions(const Arguments& arguments, ScanOptions& options);
// --acoustid-key KEY, --acoustid-server URL and --no-acoustid.
void AddAcoustIdOptions(std::vector<Option>& known, AcoustIdOptions& options);
// Returns 0, or the usage error's exit code after printing it.
int ParseOptions(const Arguments& arguments, ApplyOptions& options);
// Returns an empty text or what is wrong; --json only where allowJson.
std::string ParseOptions(const Arguments& arguments, bool allowJson, CddbOptions& options,
                         bool allowWeb = false);

}  // namespace corvane::cli
