#include "CddbServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "AcoustIdStandIn.h"
#include "lookup/SearchWords.h"
#include "platform/Utf8.h"

namespace corvane {

namespace {

constexpr std::string_view kCgiPath = "/~cddb/cddb.cgi";
constexpr std::string_view kDiscIdPath = "/ws/2/discid/";
constexpr std::string_view kSearchPagePath = "/freedb_search.php";
constexpr std::string_view kReleasePath = "/ws/2/release/";
constexpr std::string_view kAcoustIdPath = "/v2/lookup";
// The folder of the root that holds the MusicBrainz answers; not a category.
constexpr const char* kMusicBrainzFolder = "musicbrainz";
constexpr std::size_t kMaxRequestBytes = 64 * 1024;
constexpr int kClientTimeoutMs = 5000;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(c | 0x20);
    return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

// Form decoding: "+" is a space, "%XX" a byte.
std::string UrlDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string FormValue(std::string_view query, std::string_view key) {
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const std::size_t eq = pair.find('=');
        if (UrlDecode(pair.substr(0, eq)) == key) {
            return eq == std::string_view::npos ? std::string() : UrlDecode(pair.substr(eq + 1));
        }
        query.remove_prefix(amp == std::string_view::npos ? query.size() : amp + 1);
    }
    return {};
}

bool HasFormKey(std::string_view query, std::string_view key) {
    const std::string probe = "&" + std::string(query);
    return probe.find("&" + std::string(key) + "=") != std::string::npos;
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

bool AllOf(const std::string& text, const char* allowed) {
    return !text.empty() && text.find_first_not_of(allowed) == std::string::npos;
}

bool IsCategory(const std::string& text) {
    return text.size() <= 64 && AllOf(text, "abcdefghijklmnopqrstuvwxyz0123456789_-");
}

// 1 to 8 hexadecimal digits, as "%08x".
bool NormalizeDiscId(const std::string& text, std::string& id) {
    if (text.size() > 8 || !AllOf(text, "0123456789abcdefABCDEF")) {
        return false;
    }
    id = std::string(8 - text.size(), '0') + Lower(text);
    return true;
}

std::string MultiLine(const std::string& status, const std::vector<std::string>& lines) {
    std::string out = status + "\r\n";
    for (const std::string& line : lines) {
        out += line + "\r\n";
    }
    return out + ".\r\n";
}

// The lines of a stored text file as UTF-8; a file that is not valid UTF-8
// (an old Latin-1 record) is converted. A lone "." would end the answer early
// and is left out.
bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    std::string text = content.str();
    if (!IsValidUtf8(text)) {
        text = Latin1ToUtf8(text);
    }
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line != ".") {
            lines.push_back(line);
        }
    }
    return true;
}

bool IsRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string HttpAnswer(const std::string& status, const std::string& body, const char* charset) {
    return "HTTP/1.0 " + status + "\r\nContent-Type: text/plain; charset=" + charset +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

std::string JsonAnswer(const std::string& status, const std::string& body) {
    return "HTTP/1.0 " + status +
           "\r\nContent-Type: application/json; charset=utf-8\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// True when text holds every word of words (both as the search normalises them).
bool HoldsAllWords(const std::string& text, const std::string& words) {
    const std::string haystack = " " + NormalizeKeywords(text, false) + " ";
    for (const std::string& word : Words(NormalizeKeywords(words, false))) {
        if (haystack.find(word) == std::string::npos) {
            return false;
        }
    }
    return true;
}

// The value of a request header, "" when absent.
std::string HeaderValue(std::string_view request, const std::string& name) {
    const std::string head = Lower(std::string(request.substr(0, request.find("\r\n\r\n"))));
    const std::size_t at = head.find("\r\n" + name + ":");
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t start = at + name.size() + 3;
    const std::size_t end = head.find("\r\n", start);
    // The last header line ends where the header block does.
    std::string value(
        request.substr(start, (end == std::string::npos ? head.size() : end) - start));
    value.erase(0, value.find_first_not_of(' '));
    value.erase(value.find_last_not_of(' ') + 1);
    return value;
}

std::string HtmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

bool ReadWhole(const std::filesystem::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in || !IsRegularFile(path)) {
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

}  // namespace

struct CddbServer::Connection {
    std::thread thread;
    std::atomic<bool> done{false};
};

CddbServer::CddbServer(Options options) : options_(std::move(options)) {}

CddbServer::~CddbServer() {
    Stop();
    if (listener_ >= 0) {
        ::close(listener_);
    }
}

bool CddbServer::Listen(int port) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) {
        return false;
    }
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return false;
    }
    port_ = ntohs(address.sin_port);
    return true;
}

void CddbServer::Run() {
    while (!stop_) {
        // Reaped at every turn, not only when idle: a client that never
        // pauses (a library run) would otherwise pile up ended threads until
        // no new one can start.
        ReapFinished(false);
        pollfd entry{listener_, POLLIN, 0};
        if (::poll(&entry, 1, 100) <= 0) {
            continue;
        }
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            continue;
        }
        auto connection = std::make_unique<Connection>();
        Connection* raw = connection.get();
        raw->thread = std::thread([this, client, raw] {
            Serve(client);
            raw->done = true;
        });
        std::lock_guard lock(connectionsMutex_);
        connections_.push_back(std::move(connection));
    }
    ReapFinished(true);
}

void CddbServer::ReapFinished(bool all) {
    std::lock_guard lock(connectionsMutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
        if (all || (*it)->done) {
            (*it)->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

void CddbServer::Start() {
    runner_ = std::thread([this] { Run(); });
}

void CddbServer::Stop() {
    stop_ = true;
    if (runner_.joinable()) {
        runner_.join();
    }
}

// For benchmarks that count the requests a client makes.
void CddbServer::LogRequest(const std::string& request) const {
    if (options_.logFile.empty()) {
        return;
    }
    std::lock_guard lock(logMutex_);
    if (std::FILE* log = std::fopen(options_.logFile.c_str(), "a")) {
        const std::string line = request.substr(0, request.find("\r\n"));
        std::fprintf(log, "%s\n", line.c_str());
        std::fclose(log);
    }
}

namespace {

// The size of the request at the front of pending (its header block and the
// form a POST carries), or npos while it is incomplete.
std::size_t RequestSize(const std::string& pending) {
    const std::size_t headEnd = pending.find("\r\n\r\n");
    if (headEnd == std::string::npos) {
        return std::string::npos;
    }
    const std::string head = Lower(pending.substr(0, headEnd));
    const std::size_t length = head.find("\r\ncontent-length:");
    const std::size_t wanted =
        headEnd + 4 +
        (length == std::string::npos
             ? 0
             : std::min<std::size_t>(kMaxRequestBytes,
                                     std::strtoul(head.c_str() + length + 17, nullptr, 10)));
    return pending.size() >= wanted ? wanted : std::string::npos;
}

// A client that asks for it keeps its connection for the next request, as a
// web server does: HTTP/1.1 unless it says close, HTTP/1.0 when it says keep-alive.
bool WantsKeepAlive(std::string_view request) {
    const std::string connection = Lower(HeaderValue(request, "connection"));
    const std::string_view line = request.substr(0, request.find("\r\n"));
    const bool http11 = line.size() >= 8 && line.substr(line.size() - 8) == "HTTP/1.1";
    return http11 ? connection != "close" : connection == "keep-alive";
}

bool SendAll(int client, const std::string& answer) {
    for (std::size_t sent = 0; sent < answer.size();) {
        const ssize_t n = ::send(client, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

// Reads the next request into request; false when the client closed, went
// quiet for the time-out, or the server stops.
bool CddbServer::NextRequest(int client, std::string& pending, std::string& request) const {
    char chunk[4096];
    for (int waited = 0; pending.size() < kMaxRequestBytes;) {
        const std::size_t size = RequestSize(pending);
        if (size != std::string::npos) {
            request = pending.substr(0, size);
            pending.erase(0, size);
            return true;
        }
        pollfd entry{client, POLLIN, 0};
        const int ready = ::poll(&entry, 1, 100);
        if (stop_ || ready < 0 || (ready == 0 && (waited += 100) >= kClientTimeoutMs)) {
            return false;
        }
        if (ready == 0) {
            continue;
        }
        const ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
        if (got <= 0) {
            // A request cut off by the close is still answered.
            request = std::move(pending);
            pending.clear();
            return !request.empty();
        }
        waited = 0;
        pending.append(chunk, static_cast<std::size_t>(got));
    }
    request = std::move(pending);  // too long: answered as it stands
    pending.clear();
    return true;
}

void CddbServer::Serve(int client) const {
    timeval timeout{kClientTimeoutMs / 1000, 0};
    ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    std::string pending;
    std::string request;
    while (NextRequest(client, pending, request)) {
        LogRequest(request);
        std::string answer = Answer(request);
        const std::size_t close = answer.find("\r\nConnection: close\r\n");
        const bool keep = WantsKeepAlive(request) && close != std::string::npos &&
                          close < answer.find("\r\n\r\n");
        if (keep) {
            answer.replace(close, 19, "\r\nConnection: keep-alive");
        }
        if (!SendAll(client, answer) || !keep) {
            break;
        }
    }
    ::shutdown(client, SHUT_WR);
    ::close(client);
}

std::string CddbServer::Answer(std::string_view request) const {
    const std::size_t lineEnd = request.find("\r\n");
    const std::vector<std::string> requestLine =
        Words(std::string(request.substr(0, lineEnd == std::string_view::npos ? 0 : lineEnd)));
    if (requestLine.size() != 3 || (requestLine[0] != "GET" && requestLine[0] != "POST")) {
        return HttpAnswer("400 Bad Request", "Bad request\r\n", "UTF-8");
    }
    std::string target = requestLine[1];
    // The absolute form a proxy passes on: "http://host[:port]/path?...".
    if (Lower(target.substr(0, 7)) == "http://") {
        const std::size_t slash = target.find('/', 7);
        target = slash == std::string::npos ? "/" : target.substr(slash);
    }
    const std::size_t question = target.find('?');
    if (target.rfind(kDiscIdPath, 0) == 0) {
        return MusicBrainzDiscId(request, target);
    }
    if (target.rfind(kReleasePath, 0) == 0) {
        if (HeaderValue(request, "user-agent").empty()) {
            return JsonAnswer("403 Forbidden", R"({"error":"Your requests need a User-Agent."})");
        }
        const std::string id = target.substr(kReleasePath.size(), question - kReleasePath.size());
        const StandInAnswer answer = MusicBrainzRelease(options_.root, id);
        return JsonAnswer(answer.status, answer.body);
    }
    if (target.rfind("/release/", 0) == 0 || target.rfind("/coverart/", 0) == 0) {
        return CoverArt(target.substr(0, question));
    }
    std::string form = question == std::string::npos ? std::string() : target.substr(question + 1);
    if (requestLine[0] == "POST") {
        const std::size_t bodyStart = request.find("\r\n\r\n");
        form = bodyStart == std::string_view::npos ? std::string()
                                                   : std::string(request.substr(bodyStart + 4));
        while (!form.empty() && (form.back() == '\r' || form.back() == '\n')) {
            form.pop_back();
        }
    }
    if (target.substr(0, question) == kAcoustIdPath) {
        const StandInAnswer answer =
            AcoustIdLookup(options_.root, FormValue(form, "client"), FormValue(form, "duration"),
                           FormValue(form, "fingerprint"));
        return JsonAnswer(answer.status, answer.body);
    }
    if (target.substr(0, question) == kSearchPagePath) {
        return SearchPage(HeaderValue(request, "host"), FormValue(form, "words"));
    }
    if (target.substr(0, question) != kCgiPath) {
        return HttpAnswer("404 Not Found", "Not found\r\n", "UTF-8");
    }
    int level = 1;
    std::string body;
    if (HasFormKey(form, "proto")) {
        const std::string proto = FormValue(form, "proto");
        level = AllOf(proto, "0123456789") && proto.size() <= 2 ? std::stoi(proto) : 0;
    }
    if (level < 1 || level > 6) {
        body = "501 Illegal protocol level.\r\n";
        level = 1;
    } else if (Words(FormValue(form, "hello")).size() < 4) {
        body = "409 No handshake.\r\n";
    } else if (Lower(FormValue(form, "cmd")) == "search") {
        body = SearchCommand(FormValue(form, "artist"), FormValue(form, "album"));
    } else {
        body = Command(FormValue(form, "cmd"), level);
    }
    if (level >= 6) {
        return HttpAnswer("200 OK", body, "UTF-8");
    }
    return HttpAnswer("200 OK", Utf8ToLatin1(body), "ISO-8859-1");
}

std::string CddbServer::Command(const std::string& command, int level) const {
    std::vector<std::string> words = Words(command);
    if (words.empty()) {
        return "500 Command syntax error.\r\n";
    }
    const std::string verb = Lower(words[0]);
    const std::string sub = words.size() > 1 ? Lower(words[1]) : std::string();
    if (verb == "cddb" && sub == "query") {
        return QueryCommand(words);
    }
    if (verb == "cddb" && sub == "read") {
        return ReadCommand(words);
    }
    if (verb == "cddb" && sub == "lscat" && words.size() == 2) {
        return CategoriesCommand();
    }
    if (verb == "sites" && words.size() == 1) {
        return SitesCommand();
    }
    if (verb == "motd" && words.size() == 1) {
        return MotdCommand();
    }
    if (verb == "ver" && words.size() == 1) {
        return "200 corvane-cddbd 1.0, protocol level " + std::to_string(level) + "\r\n";
    }
    return "500 Unrecognized command.\r\n";
}

// cddb query DISCID NTRKS OFFSET... SECONDS: exact disc-id match in any
// category.
std::string CddbServer::QueryCommand(const std::vector<std::string>& words) const {
    std::string id;
    if (words.size() < 6 || !NormalizeDiscId(words[2], id) || !AllOf(words[3], "0123456789") ||
        words[3].size() > 3 || std::stoul(words[3]) + 5 != words.size()) {
        return "500 Command syntax error.\r\n";
    }
    for (std::size_t i = 4; i < words.size(); ++i) {
        if (!AllOf(words[i], "0123456789") || words[i].size() > 9) {
            return "500 Command syntax error.\r\n";
        }
    }
    std::vector<std::string> matches;
    for (const std::string& category : Categories()) {
        std::vector<std::string> lines;
        const auto path = std::filesystem::path(options_.root) / category / id;
        if (!IsRegularFile(path) || !ReadLines(path.string(), lines)) {
            continue;
        }
        std::string title;
        for (const std::string& line : lines) {
            if (line.rfind("DTITLE=", 0) == 0) {
                title += line.substr(7);
            }
        }
        matches.push_back(category + " " + id + " " + title);
    }
    if (matches.empty()) {
        return "202 No match for disc ID " + id + ".\r\n";
    }
    if (matches.size() == 1) {
        return "200 " + matches[0] + "\r\n";
    }
    return MultiLine("211 Found inexact matches, list follows (until terminating `.')", matches);
}

std::vector<std::string> CddbServer::FindAlbums(const std::string& artistWords,
                                                const std::string& albumWords) const {
    std::vector<std::string> found;
    for (const std::string& category : Categories()) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(
                 std::filesystem::path(options_.root) / category, error)) {
            std::string id;
            std::vector<std::string> lines;
            if (!NormalizeDiscId(entry.path().filename().string(), id) ||
                !IsRegularFile(entry.path()) || !ReadLines(entry.path().string(), lines)) {
                continue;
            }
            std::string title;
            for (const std::string& line : lines) {
                if (line.rfind("DTITLE=", 0) == 0) {
                    title += line.substr(7);
                }
            }
            if (HoldsAllWords(title, artistWords) && HoldsAllWords(title, albumWords)) {
                found.push_back(category + " " + id + " " + title);
            }
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// search: artist=WORDS&album=WORDS, as gnudb.org answers it.
std::string CddbServer::SearchCommand(const std::string& artistWords,
                                      const std::string& albumWords) const {
    if (Words(artistWords).empty() && Words(albumWords).empty()) {
        return "500 Command syntax error.\r\n";
    }
    const std::vector<std::string> found = FindAlbums(artistWords, albumWords);
    if (found.empty()) {
        return "202 No match found.\r\n";
    }
    return MultiLine("200 Found " + std::to_string(found.size()) +
                         " matches, list follows (until terminating `.')",
                     found);
}

// The result page as older mirrors wrote it: one table row per album after the
// line that names all categories, each linking to the album's own page.
std::string CddbServer::SearchPage(const std::string& host, const std::string& words) const {
    std::string page =
        "<html><head><title>Search results</title></head><body>\n"
        "<h2>Search results for \"" +
        HtmlEscaped(words) + "\" in all categories</h2>\n<table>\n";
    if (!Words(words).empty()) {
        for (const std::string& line : FindAlbums(words, "")) {
            const std::vector<std::string> parts = Words(line);
            const std::string title = line.substr(parts[0].size() + parts[1].size() + 2);
            page += "<tr><td><a href=\"http://" + HtmlEscaped(host) +
                    "/freedb_search_fmt.php?cat=" + parts[0] + "&id=" + parts[1] + "\">" +
                    HtmlEscaped(title) + "</a></td></tr>\n";
        }
    }
    page += "</table>\n</body></html>\n";
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page;
}

std::string CddbServer::ReadCommand(const std::vector<std::string>& words) const {
    std::string id;
    if (words.size() != 4 || !IsCategory(Lower(words[2])) || !NormalizeDiscId(words[3], id)) {
        return "500 Command syntax error.\r\n";
    }
    const std::string category = Lower(words[2]);
    const auto path = std::filesystem::path(options_.root) / category / id;
    std::vector<std::string> lines;
    if (!IsRegularFile(path) || !ReadLines(path.string(), lines)) {
        return "401 " + category + " " + id + " No such CD entry in database.\r\n";
    }
    return MultiLine(
        "210 " + category + " " + id + " CD database entry follows (until terminating `.')", lines);
}

std::string CddbServer::SitesCommand() const {
    std::vector<std::string> lines;
    if (options_.sitesFile.empty()) {
        lines.push_back("127.0.0.1 http " + std::to_string(port_) +
                        " /~cddb/cddb.cgi N000.00 W000.00 Corvane local CDDB server");
    } else if (!ReadLines(options_.sitesFile, lines)) {
        return "401 No site information available.\r\n";
    }
    return MultiLine("210 OK, site information follows (until terminating `.')", lines);
}

std::string CddbServer::MotdCommand() const {
    std::vector<std::string> lines;
    std::time_t modified = std::time(nullptr);
    if (options_.motdFile.empty()) {
        lines.push_back("Welcome to the Corvane local CDDB server.");
        lines.push_back("It answers from the records in " + options_.root + ".");
    } else if (!ReadLines(options_.motdFile, lines)) {
        return "401 No message of the day available.\r\n";
    }
    char stamp[32];
    std::tm parts{};
    ::gmtime_r(&modified, &parts);
    std::strftime(stamp, sizeof stamp, "%m/%d/%y %H:%M:%S", &parts);
    return MultiLine(
        std::string("210 Last modified: ") + stamp + " MOTD follows (until terminating `.')",
        lines);
}

// The Cover Art Archive: /release/MBID/front and /release/MBID/front-SIZE
// redirect (307, as the archive does) to the picture coverart/MBID.jpg of
// the root, which /coverart/MBID.jpg serves; else 404.
std::string CddbServer::CoverArt(const std::string& path) const {
    const char* allowed = "abcdefABCDEF0123456789-";
    const auto folder = std::filesystem::path(options_.root) / "coverart";
    const std::vector<std::string> parts = Split(path.substr(1), '/');
    std::string picture;
    if (parts.size() == 3 && parts[0] == "release" && AllOf(parts[1], allowed) &&
        parts[1].size() <= 64 &&
        (parts[2] == "front" || parts[2] == "front-250" || parts[2] == "front-500" ||
         parts[2] == "front-1200") &&
        IsRegularFile(folder / (parts[1] + ".jpg"))) {
        const std::string location = "/coverart/" + parts[1] + ".jpg";
        return "HTTP/1.0 307 Temporary Redirect\r\nLocation: " + location +
               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    }
    const std::string name = parts.size() == 2 ? parts[1] : std::string();
    if (parts.size() == 2 && parts[0] == "coverart" && name.size() > 4 && name.size() <= 68 &&
        name.compare(name.size() - 4, 4, ".jpg") == 0 &&
        AllOf(name.substr(0, name.size() - 4), allowed) && ReadWhole(folder / name, picture)) {
        return "HTTP/1.0 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: " +
               std::to_string(picture.size()) + "\r\nConnection: close\r\n\r\n" + picture;
    }
    return HttpAnswer("404 Not Found", "Not found\r\n", "UTF-8");
}

// The disc id lookup of the MusicBrainz web service: the answer stored as
// musicbrainz/DISCID.json, else the one stored for the table of contents as
// musicbrainz/toc/TOC.json (the fuzzy match), else the service's 404. Like
// the service, it refuses requests without a User-Agent.
std::string CddbServer::MusicBrainzDiscId(std::string_view request,
                                          const std::string& target) const {
    const std::string head = Lower(std::string(request.substr(0, request.find("\r\n\r\n"))));
    if (head.find("\r\nuser-agent:") == std::string::npos) {
        return JsonAnswer("403 Forbidden", R"({"error":"Your requests need a User-Agent."})");
    }
    const std::size_t question = target.find('?');
    const std::string id = target.substr(kDiscIdPath.size(), question - kDiscIdPath.size());
    const std::string query =
        question == std::string::npos ? std::string() : target.substr(question + 1);
    const std::string toc = FormValue(query, "toc");
    const auto folder = std::filesystem::path(options_.root) / kMusicBrainzFolder;
    const char* allowed = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._-";
    std::string body;
    if (id.size() <= 64 && AllOf(id, allowed) && ReadWhole(folder / (id + ".json"), body)) {
        return JsonAnswer("200 OK", body);
    }
    // FormValue reads "+" as a blank: the file name has the "+" back.
    std::string tocName = toc;
    std::replace(tocName.begin(), tocName.end(), ' ', '+');
    if (tocName.size() <= 1024 && AllOf(tocName, "0123456789+") &&
        ReadWhole(folder / "toc" / (tocName + ".json"), body)) {
        return JsonAnswer("200 OK", body);
    }
    return JsonAnswer("404 Not Found", R"({"error":"Not Found","help":"For usage, please see: )"
                                       R"(https://musicbrainz.org/development/mmd"})");
}

std::vector<std::string> CddbServer::Categories() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(options_.root, error)) {
        const std::string name = entry.path().filename().string();
        if (IsCategory(name) && name != kMusicBrainzFolder && name != "acoustid" &&
            entry.is_directory(error)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string CddbServer::CategoriesCommand() const {
    return MultiLine("210 OK, category list follows (until terminating `.')", Categories());
}

}  // namespace corvane
