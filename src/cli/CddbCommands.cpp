#include "cli/CddbCommands.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "album/AlbumFolder.h"
#include "album/DiscIdCalculator.h"
#include "album/DiscIdCandidates.h"
#include "cddb/AnswerText.h"
#include "cddb/CddbAgent.h"
#include "cli/FileProgress.h"
#include "cli/MusicBrainzQuery.h"
#include "cli/Options.h"
#include "cli/SoundQuery.h"
#include "components/ComponentLoader.h"
#include "components/SettingsValues.h"
#include "lookup/KeywordSearch.h"
#include "lookup/LookupWorkflow.h"
#include "lookup/SearchWords.h"
#include "lookup/ServerList.h"
#include "musicbrainz/MusicBrainzClient.h"
#include "platform/FileSystem.h"
#include "platform/Json.h"
#include "platform/SocketErrors.h"
#include "settings/SettingsIni.h"

namespace corvane::cli {

namespace {

constexpr const char* kCddbOptionsHelp =
    "CDDB OPTIONS: --proxy HOST[:PORT] --proxy-user USER --proxy-password-file FILE\n"
    "              --email ADDRESS --proto 5|6 (default 6: UTF-8 texts)\n";

int Usage(const char* usage, const std::string& problem = {}) {
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
    }
    std::fprintf(stderr, "usage: corvane-cli %s\n%s", usage, kCddbOptionsHelp);
    return 2;
}

// The password is the file's first line, so that it never shows in the
// process list.
bool ReadPassword(const std::string& path, std::string& password) {
    std::string content;
    const int error = ReadWholeFile(path, content);
    if (error != 0) {
        std::fprintf(stderr, "Cannot read <%s>: %s\n", path.c_str(), ErrorText(error).c_str());
        return false;
    }
    password = content.substr(0, content.find_first_of("\r\n"));
    return true;
}

bool SetUpAgent(const CddbOptions& options, CddbAgent& agent) {
    const CddbServerAddress server =
        ParseCddbServer(options.server ? *options.server : std::string(kDefaultCddbHost) + ":80");
    agent.SetSite(server.host, server.port);
    agent.SetDefaultServer(server.host, server.port);
    agent.SetEmail(options.email.value_or(""));
    agent.SetProtocolLevel(options.protocolLevel);
    if (options.proxy) {
        const CddbServerAddress proxy = ParseCddbServer(*options.proxy);
        std::string password;
        if (options.proxyPasswordFile && !ReadPassword(*options.proxyPasswordFile, password)) {
            return false;
        }
        agent.SetProxy(proxy.host, proxy.port, options.proxyUser.value_or(""), password);
    }
    return true;
}

// The MusicBrainz request goes through the same proxy as the CDDB commands.
bool MusicBrainzOptions(const CddbOptions& options, MusicBrainzQueryOptions& out) {
    out.server = options.musicbrainzServer;
    out.contact = options.email.value_or("");
    out.json = options.json;
    if (options.proxy) {
        const CddbServerAddress proxy = ParseCddbServer(*options.proxy);
        out.proxy.host = proxy.host;
        out.proxy.port = proxy.port;
        out.proxy.user = options.proxyUser.value_or("");
        if (options.proxyPasswordFile &&
            !ReadPassword(*options.proxyPasswordFile, out.proxy.password)) {
            return false;
        }
    }
    return true;
}

int Failure(const CddbAgent& agent) {
    const std::string words = SocketErrorWords(agent.ErrorCode());
    std::fprintf(stderr, "Error: %d%s, Response:%s\n", agent.ErrorCode(),
                 words.empty() ? "" : (" (" + words + ")").c_str(),
                 OneLineAnswer(agent.LastAnswer()).c_str());
    return 1;
}

std::string HexId(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", id);
    return text;
}

// One line per item: control characters (a line break in a title) would
// break it, so they show as blanks. --json has the exact text.
std::string Cell(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    return text;
}

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void PrintMatches(std::uint32_t discId, const std::vector<DiscMatch>& matches, bool json) {
    if (json) {
        JsonWriter out(true);
        out.BeginObject().Key("discId").String(HexId(discId)).Key("matches").BeginArray();
        for (const DiscMatch& match : matches) {
            out.BeginObject()
                .Key("category")
                .String(match.category)
                .Key("discId")
                .String(HexId(match.discId))
                .Key("artist")
                .String(match.artist)
                .Key("title")
                .String(match.title)
                .EndObject();
        }
        out.EndArray().EndObject();
        Print(out.Text() + "\n");
        return;
    }
    std::string text = "DISK ID = " + HexId(discId) + "\n";
    if (matches.empty()) {
        text += "No match.\n";
    }
    for (const DiscMatch& match : matches) {
        text += Cell(match.category) + "\t" + HexId(match.discId) + "\t" + Cell(match.artist) +
                "\t" + Cell(match.title) + "\n";
    }
    Print(text);
}

template <typename T>
JsonWriter& IntArray(JsonWriter& out, const std::vector<T>& values) {
    out.BeginCompactArray();
    for (const T value : values) {
        out.Int(value);
    }
    return out.EndArray();
}

JsonWriter& TextArray(JsonWriter& out, const std::vector<std::string>& values) {
    out.BeginArray();
    for (const std::string& value : values) {
        out.String(value);
    }
    return out.EndArray();
}

void PrintRecordJson(const DiscRecord& r) {
    JsonWriter out(true);
    out.BeginObject().Key("frameOffsets");
    IntArray(out, r.frameOffsets)
        .Key("discLength")
        .Int(r.discLength)
        .Key("revision")
        .Int(r.revision)
        .Key("submitterName")
        .String(r.submitterName)
        .Key("submitterVersion")
        .String(r.submitterVersion)
        .Key("submitterComment")
        .String(r.submitterComment)
        .Key("discId")
        .String(HexId(r.discId))
        .Key("artist")
        .String(r.artist)
        .Key("album")
        .String(r.album)
        .Key("trackTitles");
    TextArray(out, r.trackTitles).Key("extendedData").String(r.extendedData).Key("trackExtended");
    TextArray(out, r.trackExtended).Key("playOrder");
    IntArray(out, r.playOrder).Key("year").Int(r.year).Key("genre").String(r.genre).EndObject();
    Print(out.Text() + "\n");
}

std::string JoinNumbers(const std::vector<std::int32_t>& values) {
    std::string text;
    for (const std::int32_t value : values) {
        text += (text.empty() ? "" : " ") + std::to_string(value);
    }
    return text;
}

void PrintRecordText(const DiscRecord& r) {
    std::string text = "discId: " + HexId(r.discId) + "\nartist: " + Cell(r.artist) +
                       "\nalbum: " + Cell(r.album) + "\nyear: " + std::to_string(r.year) +
                       "\ngenre: " + Cell(r.genre) +
                       "\ndiscLength: " + std::to_string(r.discLength) +
                       "\nrevision: " + std::to_string(r.revision) +
                       "\nsubmitter: " + Cell(r.submitterName) + " " + Cell(r.submitterVersion) +
                       (r.submitterComment.empty() ? "" : " " + Cell(r.submitterComment)) +
                       "\nframeOffsets: " + JoinNumbers(r.frameOffsets) +
                       "\nplayOrder: " + JoinNumbers(r.playOrder) +
                       "\nextendedData: " + Cell(r.extendedData) + "\n";
    for (std::size_t i = 0; i < r.trackTitles.size(); ++i) {
        text += std::to_string(i + 1) + "\t" + Cell(r.trackTitles[i]);
        if (i < r.trackExtended.size() && !r.trackExtended[i].empty()) {
            text += "\t" + Cell(r.trackExtended[i]);
        }
        text += "\n";
    }
    Print(text);
}

// "N037.46": the site line's form of a coordinate.
std::string Coordinate(bool positive, char plus, char minus, std::int32_t minutes) {
    char text[16];
    std::snprintf(text, sizeof text, "%c%03d.%02d", positive ? plus : minus, minutes / 60,
                  minutes % 60);
    return text;
}

bool ScanAlbum(const std::string& folder, AlbumFolder& album) {
    ComponentLoader loader;
    Mp3InfoPtr mp3 = loader.LoadMp3Info();
    if (!mp3) {
        std::fprintf(stderr, "%s\n", loader.Error().c_str());
        return false;
    }
    if (ScanFolder(album, folder, *mp3, FileProgress().Callback()) < 0) {
        std::fprintf(stderr, "Cannot enter folder <%s>: %s\n", folder.c_str(),
                     ErrorText(errno).c_str());
        return false;
    }
    if (album.files.empty()) {
        std::fprintf(stderr, "No MP3 files in <%s>\n", folder.c_str());
        return false;
    }
    return true;
}

// The search's progress and failures go to standard error, so that the list
// on standard output stays clean.
class StderrView : public LookupView {
public:
    void AddStatus(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void EnableQuery(bool) override {}
    void EnableExecute(bool) override {}
    std::string ExecuteCaption() const override { return {}; }
    void SetBusy(bool) override {}
    TrackCountAnswer AskTrackCount(bool, bool) override { return TrackCountAnswer::kCancelQuery; }
    void ShowDatabaseList() override {}
    void ClearDatabaseList() override {}
};

void PrintSearchResults(const std::vector<SearchResult>& results, bool json) {
    if (!json) {
        std::string text;
        for (const SearchResult& result : results) {
            text += Cell(result.category) + "\t" + Cell(result.idText) + "\t" + Cell(result.title) +
                    "\n";
        }
        Print(results.empty() ? "No match.\n" : text);
        return;
    }
    JsonWriter out(true);
    out.BeginObject().Key("matches").BeginArray();
    for (const SearchResult& result : results) {
        out.BeginObject()
            .Key("category")
            .String(result.category)
            .Key("discId")
            .String(result.idText)
            .Key("album")
            .String(result.title)
            .EndObject();
    }
    out.EndArray().EndObject();
    Print(out.Text() + "\n");
}

}  // namespace

int RunSearch(const Arguments& arguments) {
    CddbOptions options;
    const std::string problem = ParseOptions(arguments, false, options, true);
    std::string words;
    for (const std::string& word : options.positional) {
        words += (words.empty() ? "" : " ") + word;
    }
    if (!problem.empty() || !SearchWordsUsable(words)) {
        return Usage(kSearchUsage,
                     problem.empty() ? "WORDS: at least three letters or digits" : problem);
    }
    CddbAgent agent;
    if (!SetUpAgent(options, agent)) {
        return 1;
    }
    AlbumFolder noFiles;
    StderrView view;
    KeywordSearch search(noFiles, agent, view);
    SettingsValues settings;
    settings.searchHost = options.web.value_or("");
    if (options.proxy) {
        const CddbServerAddress proxy = ParseCddbServer(*options.proxy);
        settings.proxyHost = proxy.host;
        settings.proxyPort = proxy.port;
    }
    search.Configure(settings);
    std::vector<SearchResult> results;
    const SearchOutcome outcome = search.FindCandidates(words, results);
    if (outcome != SearchOutcome::kAlbumRead && outcome != SearchOutcome::kNoAlbum) {
        return 1;
    }
    PrintSearchResults(results, options.json);
    return 0;
}

int RunQuery(const Arguments& arguments) {
    CddbOptions options;
    const std::string problem = ParseOptions(arguments, true, options);
    if (!problem.empty() || options.positional.size() != 1) {
        return Usage(kQueryUsage, problem);
    }
    CddbAgent agent;
    AlbumFolder album;
    if (!SetUpAgent(options, agent) || !ScanAlbum(options.positional[0], album)) {
        return 1;
    }
    // What the window says of damaged files, on the status stream.
    for (const std::string& line : DamagedFileLines(album.files)) {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    if (const std::string damaged = DamagedDiscIdText(album.files);
        !damaged.empty() && !options.musicbrainz) {
        std::fprintf(stderr, "%s\n", damaged.c_str());
    }
    // The tags' ids, the files' own, then the neighbouring ones, as the
    // window tries them.
    const std::vector<DiscCandidate> candidates = LookupDiscIds(album.files);
    if (options.musicbrainz) {
        OffsetList offsets;
        if (!TaggedOffsets(album.files, offsets)) {
            DiscIdCalculator calculator;
            calculator.ComputeDiscId(album.files);
            calculator.GetOffsets(offsets);
        }
        MusicBrainzQueryOptions musicbrainz;
        return MusicBrainzOptions(options, musicbrainz) ? RunMusicBrainzQuery(offsets, musicbrainz)
                                                        : 1;
    }
    std::vector<DiscMatch> matches;
    std::size_t found = 0;
    const auto trying = [&](std::size_t index) {
        if (index > 0) {
            std::fprintf(stderr, "%s\n", TryingDiscIdStatusText(candidates[index]).c_str());
        }
    };
    // A 202 (or an empty list) is an answer, not a failure: no error code.
    if (!agent.QueryCandidates(candidates, kMaxIdQueries, matches, found, trying) &&
        agent.ErrorCode() != 0) {
        return Failure(agent);
    }
    if (!matches.empty() && candidates.size() > 1) {
        std::fprintf(stderr, "Matched DISK ID %s (%s)\n", HexId(candidates[found].discId).c_str(),
                     SourceText(candidates[found]).c_str());
    }
    // When the disc id finds nothing, the sound may: its releases take the
    // place of the empty answer.
    if (matches.empty() && options.acoustid.key && !options.acoustid.off) {
        return RunSoundQuery(album, options);
    }
    PrintMatches(candidates[matches.empty() ? 0 : found].discId, matches, options.json);
    return 0;
}

int RunRead(const Arguments& arguments) {
    CddbOptions options;
    const std::string problem = ParseOptions(arguments, true, options);
    const std::vector<std::string>& words = options.positional;
    const AcoustIdOptions& acoustid = options.acoustid;
    if (!problem.empty() || options.musicbrainz || acoustid.key || acoustid.server ||
        acoustid.off || words.size() != 2 || words[1].empty() || words[1].size() > 8 ||
        words[1].find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return Usage(kReadUsage, problem.empty() && words.size() == 2
                                     ? "DISCID must be 1 to 8 hexadecimal digits"
                                     : problem);
    }
    CddbAgent agent;
    if (!SetUpAgent(options, agent)) {
        return 1;
    }
    const auto discId = static_cast<std::uint32_t>(std::stoul(words[1], nullptr, 16));
    if (!agent.ReadRecord(discId, words[0])) {
        return Failure(agent);
    }
    if (options.json) {
        PrintRecordJson(agent.Record());
    } else {
        PrintRecordText(agent.Record());
    }
    return 0;
}

int RunSites(const Arguments& arguments) {
    CddbOptions options;
    const std::string problem = ParseOptions(arguments, false, options);
    if (!problem.empty() || !options.positional.empty()) {
        return Usage(kSitesUsage, problem);
    }
    CddbAgent agent;
    std::vector<CddbSite> sites;
    if (!SetUpAgent(options, agent)) {
        return 1;
    }
    if (!agent.Sites(agent.CurrentSite(), sites)) {
        return Failure(agent);
    }
    std::string text;
    for (const CddbSite& site : sites) {
        text += Cell(site.host) + " http " + std::to_string(site.port) + " " + Cell(site.path) +
                " " + Coordinate(site.north, 'N', 'S', site.latitudeMinutes) + " " +
                Coordinate(site.east, 'E', 'W', site.longitudeMinutes) + " " +
                Cell(site.description) + "\n";
    }
    Print(text);
    return 0;
}

}  // namespace corvane::cli
