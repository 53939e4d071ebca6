#pragma once

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace corvane {

// A small CDDB-over-HTTP server for tests and the demo. It serves a folder of
// xmcd records laid out as CATEGORY/DISCID (the layout of the public CDDB
// dumps) at /~cddb/cddb.cgi, one command per connection, on 127.0.0.1 only.
// It stands in for the MusicBrainz disc id lookup too (/ws/2/discid/ID),
// answering with the JSON files of the folder's musicbrainz/ subfolder:
// DISCID.json for a disc id, toc/1+N+LEADOUT+OFFSETS.json for a table.
// It stands in for the AcoustID lookup (/v2/lookup, from the folder's
// acoustid/*.json) and the MusicBrainz release (/ws/2/release/MBID, from
// musicbrainz/release/MBID.json) too.
// It answers the keyword search both ways: the "search" command of today's
// service and the web search page /freedb_search.php of older mirrors.
// Records are stored in UTF-8 and sent in the encoding of the requested
// protocol level (ISO-8859-1 below 6).
class CddbServer {
public:
    struct Options {
        std::string root;       // the CATEGORY/DISCID folder
        std::string motdFile;   // message of the day; a built-in one when empty
        std::string sitesFile;  // site lines; the server itself when empty
        std::string logFile;    // each request line appended; none when empty
    };

    explicit CddbServer(Options options);
    ~CddbServer();
    CddbServer(const CddbServer&) = delete;
    CddbServer& operator=(const CddbServer&) = delete;

    // Binds 127.0.0.1:port (0 = a free port). False with errno set on failure.
    bool Listen(int port);
    int Port() const { return port_; }
    // Serves until Stop; each connection on a thread of its own.
    void Run();
    // Serves on a background thread.
    void Start();
    void Stop();

    // The full HTTP answer to one request (request line, headers, body).
    std::string Answer(std::string_view request) const;

private:
    struct Connection;

    void Serve(int client) const;
    bool NextRequest(int client, std::string& pending, std::string& request) const;
    void LogRequest(const std::string& request) const;
    void ReapFinished(bool all);
    std::string Command(const std::string& command, int level) const;
    std::string QueryCommand(const std::vector<std::string>& words) const;
    std::string ReadCommand(const std::vector<std::string>& words) const;
    std::string SitesCommand() const;
    std::string MotdCommand() const;
    std::string CategoriesCommand() const;
    // "category discid Artist / Title" of every record whose artist and title
    // hold all the words of both fields (case and accents ignored), sorted.
    std::vector<std::string> FindAlbums(const std::string& artistWords,
                                        const std::string& albumWords) const;
    std::string SearchCommand(const std::string& artistWords, const std::string& albumWords) const;
    std::string SearchPage(const std::string& host, const std::string& words) const;
    std::string MusicBrainzDiscId(std::string_view request, const std::string& target) const;
    std::string CoverArt(const std::string& path) const;
    // The category folders of the root, sorted.
    std::vector<std::string> Categories() const;

    Options options_;
    mutable std::mutex logMutex_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread runner_;
    std::mutex connectionsMutex_;
    std::list<std::unique_ptr<Connection>> connections_;
};

}  // namespace corvane
