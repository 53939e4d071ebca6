#include "settings/SettingsIni.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>

#include "album/TrackListColumns.h"
#include "musicbrainz/MusicBrainzClient.h"
#include "naming/CaseConversion.h"
#include "platform/EscapedText.h"
#include "platform/FileSystem.h"

namespace corvane {

namespace {

// A settings file is a few kilobytes; anything far larger is not ours.
constexpr off_t kMaxIniBytes = 4 * 1024 * 1024;

// section -> key -> raw value; names compared in lower case.
using IniEntries = std::map<std::string, std::map<std::string, std::string>>;

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// ---- writing ----

void AppendByteEscape(std::string& out, unsigned char byte) {
    static const char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    AppendEscapedText(out, text, AppendByteEscape);
    return out + "\"";
}

class IniBuilder {
public:
    void Section(const char* name) {
        if (!text_.empty()) {
            text_ += '\n';
        }
        text_ += '[';
        text_ += name;
        text_ += "]\n";
    }
    void Number(std::string_view key, long value) { Line(key, std::to_string(value)); }
    void Flag(std::string_view key, bool value) { Line(key, value ? "1" : "0"); }
    void Text(std::string_view key, std::string_view value) { Line(key, Quote(value)); }
    std::string Take() { return std::move(text_); }

private:
    void Line(std::string_view key, const std::string& value) {
        text_.append(key);
        text_ += '=';
        text_ += value;
        text_ += '\n';
    }
    std::string text_;
};

// ---- reading ----

// The text of a quoted value, or false when the closing quote is missing (a
// cut-off file): a partial path or format would be worse than the default.
bool Unquote(std::string_view raw, std::string& out) {
    out.clear();
    for (std::size_t i = 1; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            return true;
        }
        if (c != '\\' || i + 1 >= raw.size()) {
            out += c;
            continue;
        }
        const char next = raw[++i];
        switch (next) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case '"':
            case '\\':
                out += next;
                break;
            case 'x': {
                unsigned value = 0;
                const char* first = raw.data() + i + 1;
                const char* last = raw.data() + std::min(raw.size(), i + 3);
                const auto result = std::from_chars(first, last, value, 16);
                if (result.ec == std::errc() && result.ptr == last && last - first == 2) {
                    out += static_cast<char>(value);
                    i += 2;
                } else {
                    out += "\\x";
                }
                break;
            }
            default:
                out += '\\';
                out += next;
        }
    }
    return false;
}

IniEntries ParseIni(std::string_view text) {
    IniEntries entries;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::string section;
    bool inSection = false;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inSection = close != std::string_view::npos;
            section = inSection ? Lower(Trim(line.substr(1, close - 1))) : std::string();
            if (inSection) {
                entries[section];  // an empty [Formats] means: no user formats
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) {
            continue;
        }
        const std::string key = Lower(Trim(line.substr(0, equals)));
        const std::string_view raw = Trim(line.substr(equals + 1));
        std::string value;
        if (!raw.empty() && raw.front() == '"') {
            if (!Unquote(raw, value)) {
                continue;
            }
        } else {
            value = std::string(raw);
        }
        entries[section][key] = std::move(value);
    }
    return entries;
}

class IniReader {
public:
    explicit IniReader(IniEntries entries) : entries_(std::move(entries)) {}

    bool HasSection(const std::string& section) const { return entries_.count(section) != 0; }

    const std::string* Find(const std::string& section, std::string_view key) const {
        const auto s = entries_.find(section);
        if (s == entries_.end()) {
            return nullptr;
        }
        const auto k = s->second.find(Lower(key));
        return k != s->second.end() ? &k->second : nullptr;
    }

    const std::map<std::string, std::string>* Entries(const std::string& section) const {
        const auto s = entries_.find(section);
        return s != entries_.end() ? &s->second : nullptr;
    }

    // A whole decimal number within [min, max]; otherwise target keeps its value.
    template <class T>
    void Number(const std::string& section, std::string_view key, T& target, long min,
                long max) const {
        const std::string* raw = Find(section, key);
        long value = 0;
        if (raw != nullptr && ParseLong(*raw, value) && value >= min && value <= max) {
            target = static_cast<T>(value);
        }
    }

    // 0 or 1; also accepts any number and true/false, yes/no, on/off.
    void Flag(const std::string& section, std::string_view key, bool& target) const {
        const std::string* raw = Find(section, key);
        if (raw == nullptr) {
            return;
        }
        const std::string word = Lower(Trim(*raw));
        long value = 0;
        if (ParseLong(word, value)) {
            target = value != 0;
        } else if (word == "true" || word == "yes" || word == "on") {
            target = true;
        } else if (word == "false" || word == "no" || word == "off") {
            target = false;
        }
    }

    void Text(const std::string& section, std::string_view key, std::string& target) const {
        if (const std::string* raw = Find(section, key)) {
            target = *raw;
        }
    }

    static bool ParseLong(std::string_view text, long& value) {
        text = Trim(text);
        if (!text.empty() && text.front() == '+') {
            text.remove_prefix(1);
        }
        const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
        return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
    }

private:
    IniEntries entries_;
};

// Lists are stored as userFormat1, userFormat2, ...; read back in the order
// of their numbers, whatever order a hand edit left them in. Keys are lower case here.
std::vector<std::string> ReadNumbered(const std::map<std::string, std::string>& entries,
                                      const std::string& prefix) {
    std::map<long, std::string> numbered;
    for (const auto& [key, value] : entries) {
        long number = 0;
        if (key.rfind(prefix, 0) == 0 && IniReader::ParseLong(key.substr(prefix.size()), number) &&
            !value.empty()) {
            numbered.emplace(number, value);
        }
    }
    std::vector<std::string> formats;
    for (auto& entry : numbered) {
        formats.push_back(std::move(entry.second));
    }
    return formats;
}

bool ParseWholeNumber(std::string_view text, long& value) {
    return IniReader::ParseLong(text, value);
}

}  // namespace

std::string SettingsToIniText(const SettingsValues& v) {
    IniBuilder ini;
    ini.Section("General");
    ini.Flag("configured", v.configured);
    ini.Flag("showSplash", v.showSplash);
    ini.Flag("autoQuery", v.autoQuery);
    ini.Flag("showStatusList", v.showStatusList);
    ini.Flag("moveDependencies", v.moveDependencies);
    ini.Flag("confirmDependencies", v.confirmDependencies);
    ini.Flag("createPlaylist", v.createPlaylist);
    ini.Flag("createDirectory", v.createDirectory);
    ini.Text("lastFolder", v.lastFolder);
    ini.Text("nameFormat", v.nameFormat);
    ini.Text("caseMode", v.caseMode);

    ini.Section("FileColumns");
    for (std::size_t i = 0; i < v.fileColumns.size(); ++i) {
        ini.Flag(kFileListColumns[i + 1].header, v.fileColumns[i]);
    }
    ini.Section("DatabaseColumns");
    for (std::size_t i = 0; i < v.databaseColumns.size(); ++i) {
        ini.Flag(kDatabaseListColumns[i + 1].header, v.databaseColumns[i]);
    }

    ini.Section("Proxy");
    ini.Text("host", v.proxyHost);
    ini.Number("port", v.proxyPort);

    ini.Section("Window");
    ini.Number("width", v.windowWidth);
    ini.Number("height", v.windowHeight);
    ini.Flag("maximized", v.windowMaximized);

    ini.Section("Formats");
    for (std::size_t i = 0; i < v.userFormats.size(); ++i) {
        ini.Text("userFormat" + std::to_string(i + 1), v.userFormats[i]);
    }

    ini.Section("Recent");
    for (std::size_t i = 0; i < v.recentFolders.size(); ++i) {
        ini.Text("folder" + std::to_string(i + 1), v.recentFolders[i]);
    }

    ini.Section("Cddb");
    ini.Text("email", v.cddbEmail);
    ini.Number("protocolLevel", v.cddbProtocolLevel);
    ini.Text("server", v.cddbServer);
    ini.Text("searchHost", v.searchHost);

    ini.Section("MusicBrainz");
    ini.Number("askWhenCddbFindsNothing", v.askMusicBrainz ? 1 : 0);
    ini.Text("server", v.musicbrainzServer);

    ini.Section("AcoustID");
    ini.Text("key", v.acoustidKey);
    ini.Text("server", v.acoustidServer);

    return "; Corvane MP3 settings. Texts stand in double quotes, where \\\" \\\\ \\n \\t\n"
           "; and \\xHH mean a quote, a backslash, a line break, a tab and a raw byte.\n\n" +
           ini.Take();
}

SettingsValues SettingsFromIniText(std::string_view text) {
    const IniReader ini(ParseIni(text));
    SettingsValues v;

    const std::string general = "general";
    ini.Flag(general, "configured", v.configured);
    ini.Flag(general, "showSplash", v.showSplash);
    ini.Flag(general, "autoQuery", v.autoQuery);
    ini.Flag(general, "showStatusList", v.showStatusList);
    ini.Flag(general, "moveDependencies", v.moveDependencies);
    ini.Flag(general, "confirmDependencies", v.confirmDependencies);
    ini.Flag(general, "createPlaylist", v.createPlaylist);
    ini.Flag(general, "createDirectory", v.createDirectory);
    ini.Text(general, "lastFolder", v.lastFolder);
    ini.Text(general, "nameFormat", v.nameFormat);
    if (v.nameFormat.empty()) {
        v.nameFormat = SettingsValues{}.nameFormat;
    }
    std::string caseMode;
    ini.Text(general, "caseMode", caseMode);
    if (std::find(kCaseModes.begin(), kCaseModes.end(), caseMode) != kCaseModes.end()) {
        v.caseMode = caseMode;
    }

    for (std::size_t i = 0; i < v.fileColumns.size(); ++i) {
        ini.Flag("filecolumns", kFileListColumns[i + 1].header, v.fileColumns[i]);
    }
    for (std::size_t i = 0; i < v.databaseColumns.size(); ++i) {
        ini.Flag("databasecolumns", kDatabaseListColumns[i + 1].header, v.databaseColumns[i]);
    }

    ini.Text("proxy", "host", v.proxyHost);
    ini.Number("proxy", "port", v.proxyPort, 1, 65535);

    ini.Number("window", "width", v.windowWidth, 0, 32767);
    ini.Number("window", "height", v.windowHeight, 0, 32767);
    ini.Flag("window", "maximized", v.windowMaximized);

    if (const auto* formats = ini.Entries("formats")) {
        v.userFormats = ReadNumbered(*formats, "userformat");
    }

    if (const auto* recent = ini.Entries("recent")) {
        v.recentFolders = ReadNumbered(*recent, "folder");
        if (v.recentFolders.size() > kMaxRecentFolders) {
            v.recentFolders.resize(kMaxRecentFolders);
        }
    }

    ini.Text("cddb", "email", v.cddbEmail);
    long level = v.cddbProtocolLevel;
    if (const std::string* raw = ini.Find("cddb", "protocolLevel");
        raw != nullptr && IniReader::ParseLong(*raw, level)) {
        v.cddbProtocolLevel = level >= 6 ? 6 : 5;
    }
    std::string server;
    ini.Text("cddb", "server", server);
    if (IsCddbServerText(server)) {
        v.cddbServer = server;
    }
    std::string searchHost;
    ini.Text("cddb", "searchHost", searchHost);
    if (searchHost.empty() || IsCddbServerText(searchHost)) {
        v.searchHost = searchHost;
    }

    ini.Flag("musicbrainz", "askWhenCddbFindsNothing", v.askMusicBrainz);
    std::string musicbrainzServer;
    ini.Text("musicbrainz", "server", musicbrainzServer);
    if (IsMusicBrainzServerText(musicbrainzServer)) {
        v.musicbrainzServer = musicbrainzServer;
    }
    std::string acoustidKey;
    ini.Text("acoustid", "key", acoustidKey);
    if (IsAcoustIdKeyText(acoustidKey)) {
        v.acoustidKey = acoustidKey;
    }
    std::string acoustidServer;
    ini.Text("acoustid", "server", acoustidServer);
    if (IsMusicBrainzServerText(acoustidServer)) {
        v.acoustidServer = acoustidServer;
    }
    return v;
}

bool IsAcoustIdKeyText(const std::string& key) {
    return key.size() <= 64 && std::all_of(key.begin(), key.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.';
           });
}

bool IsCddbServerText(const std::string& server) {
    const bool printable = std::all_of(server.begin(), server.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > 0x20 && byte != 0x7F && c != '/' && c != '"';
    });
    if (server.empty() || !printable) {
        return false;
    }
    const std::size_t colon = server.rfind(':');
    if (colon == std::string::npos) {
        return true;
    }
    long port = 0;
    return colon > 0 && ParseWholeNumber(server.substr(colon + 1), port) && port >= 1 &&
           port <= 65535 && server.find_first_not_of("0123456789", colon + 1) == std::string::npos;
}

bool LoadSettingsFile(const std::string& path, SettingsValues& values) {
    const std::string iniPath = values.iniPath;
    values = SettingsValues{};
    values.iniPath = iniPath;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxIniBytes) {
        return false;
    }
    std::string text;
    if (ReadWholeFile(path, text) != 0) {
        return false;
    }
    values = SettingsFromIniText(text);
    values.iniPath = iniPath;
    return true;
}

int SaveSettingsFile(const std::string& path, const SettingsValues& values) {
    return WriteFileAtomically(path, SettingsToIniText(values));
}

}  // namespace corvane
