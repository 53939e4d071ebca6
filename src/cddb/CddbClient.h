#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "album/DiscIdCalculator.h"
#include "cddb/CddbRecords.h"
#include "platform/SocketErrors.h"

namespace corvane {

class TcpSocket;

// What ReceiveAnswer hands back: the raw bytes received (headers included)
// and the size the receive buffer had grown to.
struct AnswerBuffer {
    std::string text;
    std::size_t capacity = 0;
    std::size_t received = 0;  // bytes received, the cut-off terminator included
};

// Which statuses of an answer carry a list that ends with the terminator;
// an answer with any other status is a single line.
enum class ListStatuses {
    kAll,        // read to the terminator whatever the status
    k21x,        // 210..219, as most commands answer
    k200And21x,  // the search command's 200 carries its matches too
};

// The CDDB protocol over HTTP/1.0: one GET request and one answer per
// command, directly or through an HTTP proxy. A direct connection the server
// offers to keep open (keep-alive) carries the next command to that server,
// which saves a lookup's second connection and a library run one per album. Failures return
// false; ErrorCode() then tells why and LastAnswer() holds what was received.
class CddbClient {
public:
    static constexpr const char* kTerminator = "\r\n.\r\n";
    // Also accepted in place of kTerminator.
    static constexpr const char* kLineFeedTerminator = "\n.\n";
    static constexpr std::size_t kInitialBufferSize = 4096;
    // An answer longer than this fails with 10043 instead of growing forever.
    static constexpr std::size_t kMaxAnswerBytes = 1024 * 1024;
    static constexpr std::uint32_t kDefaultTimeoutMs = 2000;
    // Bounds a whole receive even while a server keeps trickling bytes.
    static constexpr std::uint32_t kDefaultTotalTimeoutMs = 30000;
    static constexpr int kPollIntervalMs = 250;

    // An idle kept connection older than this is closed rather than reused:
    // servers close theirs after a few seconds.
    static constexpr std::int64_t kKeepIdleMs = 4000;

    CddbClient();
    virtual ~CddbClient();
    CddbClient(const CddbClient&) = delete;
    CddbClient& operator=(const CddbClient&) = delete;

    virtual std::string HelloString() const;
    // The login name, each character other than an ASCII letter or digit
    // replaced by "_"; "Unknown" when it cannot be read. With an e-mail
    // address set, its local part instead (".", "-" and "_" kept).
    virtual std::string UserName() const;
    // The host name, filtered the same way; the e-mail domain when set.
    virtual std::string HostName() const;

    void SetProxy(const std::string& host, int port, const std::string& user,
                  const std::string& password);
    // Replaces the login and host names of the hello when not empty.
    void SetEmail(const std::string& email) { email_ = email; }
    // 5 (answers in ISO-8859-1) or 6 (UTF-8); other values keep the level.
    void SetProtocolLevel(int level);
    int ProtocolLevel() const { return protocolLevel_; }
    void SetTimeouts(std::uint32_t inactivityMs, std::uint32_t totalMs);

    bool Query(const CddbSite& site, std::uint32_t discId, const OffsetList& offsets,
               std::vector<DiscMatch>& matches);
    bool Read(const CddbSite& site, std::uint32_t discId, const std::string& category,
              DiscRecord& record);
    bool Sites(const CddbSite& site, std::vector<CddbSite>& sites);
    bool Motd(const CddbSite& site, std::string& text);
    // The keyword search of today's service: the albums whose artist holds
    // artistWords and whose title holds albumWords (either may be empty).
    // True when the server answered it: 200 with its matches, or 202 with
    // none.
    bool Search(const CddbSite& site, std::string_view artistWords, std::string_view albumWords,
                std::vector<DiscMatch>& matches);

    // Parses a read answer's body (UTF-8) into record; 10043 on failure.
    bool ParseRecord(std::string_view body, DiscRecord& record);

    int ErrorCode() const { return errorCode_; }
    const std::string& LastAnswer() const { return lastAnswer_; }

    // "Proxy-Authorization: Basic ...\r\nHost: host" or "Host: host".
    std::string ProxyHeaders(const CddbSite& site) const;
    // The lines that name the program and its user on every request:
    // User-Agent, and User-Email when an address is set.
    std::string IdentityHeaders() const;
    // The whole GET request for the command words, direct or proxy form.
    std::string FormatRequest(const CddbSite& site, const std::string& commandWords) const;
    // "cddb+query+<id>+<n>+<offsets...>+<seconds>"; empty with fewer than
    // two offset entries.
    static std::string QueryWords(std::uint32_t discId, const OffsetList& offsets);

    // Reads the answer until the terminator arrives (which is then cut off),
    // the peer closes (failure), nothing arrives for the inactivity timeout
    // or the whole receive exceeds the total timeout (10060). A body status
    // that lists does not name ends the read at once: such answers carry no
    // terminator.
    virtual bool ReceiveAnswer(TcpSocket& socket, std::string_view terminator,
                               std::size_t initialSize, ListStatuses lists, AnswerBuffer& answer);

protected:
    // Waits up to waitMs for data; the receive loop's only wait.
    virtual bool WaitForData(TcpSocket& socket, int waitMs, bool& readable);

    void SetErrorCode(int code) { errorCode_ = code; }
    void SetLastAnswer(std::string text) { lastAnswer_ = std::move(text); }

private:
    // Position of the terminator in text, whose bytes before searchedBefore
    // were searched already; npos when it has not arrived.
    static std::size_t FindTerminator(std::string_view text, std::size_t searchedBefore,
                                      std::string_view terminator);
    // Socket, connect, send, receive; body = the decoded text after the
    // HTTP headers. False on any failure before parsing.
    bool Exchange(const CddbSite& site, const std::string& commandWords, ListStatuses lists,
                  std::string& body);
    bool ConnectSendReceive(const CddbSite& site, const std::string& commandWords,
                            ListStatuses lists, std::string& body);
    bool SendReceive(TcpSocket& socket, const std::string& request, ListStatuses lists,
                     AnswerBuffer& answer);
    // The kept connection to server when it is still usable, else null.
    std::unique_ptr<TcpSocket> TakeKeptSocket(const std::string& server);
    // The end of a command once its body is parsed: success empties
    // LastAnswer(); failure keeps the body there and sets failureCode (0
    // leaves the error code as it is).
    bool FinishCommand(std::string_view body, bool parsed,
                       int failureCode = kSocketProtocolNotSupported);

    std::string lastAnswer_;
    std::uint32_t timeoutMs_ = kDefaultTimeoutMs;
    std::uint32_t totalTimeoutMs_ = kDefaultTotalTimeoutMs;
    std::string clientName_ = "CorvaneMP3";
    std::string clientVersion_ = "2.00";
    int protocolLevel_ = 6;  // UTF-8 answers
    std::string proxyHost_;
    int proxyPort_ = 80;
    std::string proxyUser_;
    std::string proxyPassword_;
    std::string email_;
    // The login name, read once: looking it up opens the password database,
    // which a library run would do twice per album.
    mutable std::optional<std::string> login_;
    int errorCode_ = 0;
    std::unique_ptr<TcpSocket> kept_;
    std::string keptServer_;  // "host:port" of kept_
    std::int64_t keptSince_ = 0;
    std::int64_t commandStart_ = 0;  // steady-clock ms while a command runs, else 0
};

}  // namespace corvane
