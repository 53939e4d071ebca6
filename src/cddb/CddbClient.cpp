#include "cddb/CddbClient.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "ProgramVersion.h"
#include "cddb/AnswerText.h"
#include "cddb/Base64.h"
#include "cddb/CddbAnswers.h"
#include "cddb/CddbText.h"
#include "cddb/XmcdRecord.h"
#include "platform/SocketErrors.h"
#include "platform/TcpSocket.h"

namespace corvane {

namespace {

constexpr const char* kEmailWordExtra = ".-_";

// The server keeps the connection open when it says so and the answer was
// received whole, to the length it gave: no byte of it is left to misread as
// the next answer.
bool KeepsConnection(const AnswerBuffer& answer) {
    const std::size_t body = FindBody(answer.text);
    if (body == std::string::npos) {
        return false;
    }
    std::string head = answer.text.substr(0, body);
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::size_t length = head.find("\r\ncontent-length:");
    if (head.find("\r\nconnection: keep-alive\r\n") == std::string::npos ||
        length == std::string::npos || head.find("\r\ntransfer-encoding:") != std::string::npos) {
        return false;
    }
    const unsigned long long bodyBytes = std::strtoull(head.c_str() + length + 17, nullptr, 10);
    return body + bodyBytes == answer.received;
}

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string HexId(std::uint32_t discId) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", discId);
    return text;
}

std::string LoginName() {
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr && entry->pw_name != nullptr ? entry->pw_name : "";
}

std::string MachineName() {
    char name[260] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return "";
    }
    return name;
}

// The local part (before the last "@") or the domain of an e-mail address.
std::string EmailPart(const std::string& email, bool domain) {
    const std::size_t at = email.rfind('@');
    if (at == std::string::npos) {
        return domain ? std::string() : email;
    }
    return domain ? email.substr(at + 1) : email.substr(0, at);
}

}  // namespace

std::string CddbClient::UserName() const {
    const std::string local = EmailPart(email_, false);
    if (!local.empty()) {
        return FilterHelloWord(local, kEmailWordExtra);
    }
    if (!login_) {
        login_ = LoginName();
    }
    const std::string& login = *login_;
    return login.empty() ? "Unknown" : FilterHelloWord(login);
}

std::string CddbClient::HostName() const {
    const std::string domain = EmailPart(email_, true);
    if (!email_.empty() && !domain.empty()) {
        return FilterHelloWord(domain, kEmailWordExtra);
    }
    const std::string machine = MachineName();
    return machine.empty() ? "Unknown" : FilterHelloWord(machine);
}

std::string CddbClient::HelloString() const {
    return "hello=" + UserName() + "+" + HostName() + "+" + clientName_ + "+" + clientVersion_ +
           "&proto=" + std::to_string(protocolLevel_);
}

void CddbClient::SetProxy(const std::string& host, int port, const std::string& user,
                          const std::string& password) {
    proxyHost_ = host;
    proxyPort_ = port;
    proxyUser_ = user;
    proxyPassword_ = password;
}

CddbClient::CddbClient() = default;
CddbClient::~CddbClient() = default;

void CddbClient::SetProtocolLevel(int level) {
    if (level >= 1 && level <= 6) {
        protocolLevel_ = level;
    }
}

void CddbClient::SetTimeouts(std::uint32_t inactivityMs, std::uint32_t totalMs) {
    timeoutMs_ = inactivityMs;
    totalTimeoutMs_ = totalMs;
}

std::string CddbClient::ProxyHeaders(const CddbSite& site) const {
    if (proxyUser_.empty()) {
        return "Host: " + site.host;
    }
    return "Proxy-Authorization: Basic " + Base64Encode(proxyUser_ + ":" + proxyPassword_) +
           "\r\nHost: " + site.host;
}

std::string CddbClient::IdentityHeaders() const {
    std::string headers = "User-Agent: " + clientName_ + "/" + kProgramVersion + "\r\n";
    // A line break in the address would start a header of its own.
    std::string email = email_;
    std::erase_if(email, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
    return email.empty() ? headers : headers + "User-Email: " + email + "\r\n";
}

std::string CddbClient::FormatRequest(const CddbSite& site, const std::string& commandWords) const {
    const std::string target = "?cmd=" + commandWords + "&" + HelloString() + " HTTP/1.0\r\n";
    if (proxyHost_.empty()) {
        // Servers that share an address with other names need the Host line.
        const std::string host =
            site.port == 80 ? site.host : site.host + ":" + std::to_string(site.port);
        return "GET " + site.path + target + "Host: " + host + "\r\n" + IdentityHeaders() +
               "Connection: keep-alive\r\n\r\n";
    }
    return "GET http://" + site.host + site.path + target + ProxyHeaders(site) + "\r\n" +
           IdentityHeaders() + "\r\n";
}

std::string CddbClient::QueryWords(std::uint32_t discId, const OffsetList& offsets) {
    if (offsets.size() < 2) {
        return {};
    }
    std::string words = "cddb+query+" + HexId(discId) + "+" + std::to_string(offsets.size() - 1);
    for (std::size_t i = 0; i + 1 < offsets.size(); ++i) {
        const CdOffset& at = offsets[i];
        words += "+" + std::to_string((at.minutes * 60 + at.seconds) * 75 + at.frames);
    }
    const CdOffset& leadOut = offsets.back();
    return words + "+" + std::to_string(leadOut.minutes * 60 + leadOut.seconds);
}

bool CddbClient::WaitForData(TcpSocket& socket, int waitMs, bool& readable) {
    return socket.WaitReadable(waitMs, readable);
}

bool CddbClient::ReceiveAnswer(TcpSocket& socket, std::string_view terminator,
                               std::size_t initialSize, ListStatuses lists, AnswerBuffer& answer) {
    initialSize = std::max<std::size_t>(initialSize, 2);
    std::string& text = answer.text;
    text.clear();
    answer.capacity = initialSize;
    const auto failWith = [&](int code) {
        if (!text.empty()) {
            lastAnswer_ = DecodeAnswer(text, protocolLevel_);
        }
        errorCode_ = code;
        return false;
    };
    std::int64_t lastActivity = NowMs();
    // Within a command the connect time counts too.
    const std::int64_t deadline =
        commandStart_ != 0 ? commandStart_ + totalTimeoutMs_ : lastActivity + totalTimeoutMs_;
    for (;;) {
        const std::int64_t now = NowMs();
        const std::int64_t idle = now - lastActivity;
        if (idle > timeoutMs_ || now > deadline) {
            return failWith(kSocketTimedOut);
        }
        // Wake up just after whichever limit comes first, but no later than
        // one poll interval, so an arriving byte is handled at once.
        const std::int64_t wait =
            std::min<std::int64_t>({kPollIntervalMs, timeoutMs_ - idle + 1, deadline - now + 1});
        bool readable = false;
        if (!WaitForData(socket, static_cast<int>(wait), readable)) {
            return failWith(socket.LastError());
        }
        if (!readable) {
            continue;
        }
        const std::size_t received = text.size();
        const std::size_t room = answer.capacity - received - 1;
        text.resize(received + room);
        const long got = socket.Receive(text.data() + received, room);
        text.resize(received + static_cast<std::size_t>(std::max<long>(got, 0)));
        if (got <= 0) {
            // Closed before the terminator (or an error): a failure.
            lastAnswer_ = DecodeAnswer(text, protocolLevel_);
            return failWith(got < 0 ? socket.LastError() : errorCode_);
        }
        lastActivity = NowMs();
        if (static_cast<std::size_t>(got) == room) {
            answer.capacity += initialSize;
        }
        if (text.size() > kMaxAnswerBytes) {
            return failWith(kSocketProtocolNotSupported);
        }
        if (lists != ListStatuses::kAll) {
            // Judged once the status line is complete: a packet may end right
            // after the header block, or inside the status line.
            const std::size_t body = FindBody(text);
            if (body != std::string::npos && text.find('\n', body) != std::string::npos) {
                const int code = StatusCode(std::string_view(text).substr(body));
                const bool list = (code >= 210 && code <= 219) ||
                                  (code == 200 && lists == ListStatuses::k200And21x);
                if (!list) {
                    answer.received = text.size();
                    return true;  // a single-line answer never carries the terminator
                }
                lists = ListStatuses::kAll;  // read on to the terminator
            }
        }
        const std::size_t at = FindTerminator(text, received, terminator);
        if (at != std::string::npos) {
            answer.received = text.size();
            text.resize(at);
            return true;
        }
    }
}

std::size_t CddbClient::FindTerminator(std::string_view text, std::size_t searchedBefore,
                                       std::string_view terminator) {
    // Only the new bytes (and the few before them) can complete it.
    const auto find = [&](std::string_view what) {
        const std::size_t from = searchedBefore >= what.size() ? searchedBefore - what.size() : 0;
        return text.find(what, from);
    };
    const std::size_t at = find(terminator);
    if (at != std::string::npos || terminator != kTerminator) {
        return at;
    }
    // A server writing bare line feeds ends its answer with "\n.\n"; a CR LF
    // answer cannot contain that, since a lone "." line is its terminator.
    return find(kLineFeedTerminator);
}

bool CddbClient::Exchange(const CddbSite& site, const std::string& commandWords, ListStatuses lists,
                          std::string& body) {
    // A connect failure must not show the answer of an earlier command.
    lastAnswer_.clear();
    commandStart_ = NowMs();
    const bool done = ConnectSendReceive(site, commandWords, lists, body);
    commandStart_ = 0;
    return done;
}

bool CddbClient::ConnectSendReceive(const CddbSite& site, const std::string& commandWords,
                                    ListStatuses lists, std::string& body) {
    const bool viaProxy = !proxyHost_.empty();
    const std::string host = viaProxy ? proxyHost_ : site.host;
    const int port = viaProxy ? proxyPort_ : site.port;
    const std::string server = host + ":" + std::to_string(port);
    const std::string request = FormatRequest(site, commandWords);
    AnswerBuffer answer;
    std::unique_ptr<TcpSocket> socket = viaProxy ? nullptr : TakeKeptSocket(server);
    if (socket && !SendReceive(*socket, request, lists, answer)) {
        if (!answer.text.empty()) {
            return false;  // the server answered, and wrongly
        }
        // Closed by the server meanwhile: asked again on a new connection.
        socket.reset();
    }
    if (!socket) {
        socket = std::make_unique<TcpSocket>();
        if (!socket->Create() || !socket->Connect(host, port, static_cast<int>(totalTimeoutMs_))) {
            errorCode_ = socket->LastError();
            return false;
        }
        if (!SendReceive(*socket, request, lists, answer)) {
            return false;
        }
    }
    if (!viaProxy && KeepsConnection(answer)) {
        kept_ = std::move(socket);
        keptServer_ = server;
        keptSince_ = NowMs();
    }
    lastAnswer_ = DecodeAnswer(answer.text, protocolLevel_);
    const std::size_t at = FindBody(lastAnswer_);
    body = at == std::string::npos ? std::string() : lastAnswer_.substr(at);
    return true;
}

bool CddbClient::SendReceive(TcpSocket& socket, const std::string& request, ListStatuses lists,
                             AnswerBuffer& answer) {
    if (!socket.Send(request.data(), request.size())) {
        errorCode_ = socket.LastError();
        return false;
    }
    if (!ReceiveAnswer(socket, kTerminator, kInitialBufferSize, lists, answer)) {
        errorCode_ = kSocketProtocolNotSupported;
        return false;
    }
    return true;
}

std::unique_ptr<TcpSocket> CddbClient::TakeKeptSocket(const std::string& server) {
    std::unique_ptr<TcpSocket> socket = std::move(kept_);
    // Anything waiting on an idle connection is its close (or garbage).
    bool waiting = true;
    if (!socket || keptServer_ != server || NowMs() - keptSince_ > kKeepIdleMs ||
        !socket->IsReadable(waiting) || waiting) {
        return nullptr;
    }
    return socket;
}

bool CddbClient::Query(const CddbSite& site, std::uint32_t discId, const OffsetList& offsets,
                       std::vector<DiscMatch>& matches) {
    matches.clear();
    const std::string words = QueryWords(discId, offsets);
    if (words.empty()) {
        // Nothing to ask about: no tracks and no lead-out.
        errorCode_ = kSocketInvalidArgument;
        lastAnswer_.clear();
        return false;
    }
    std::string body;
    if (!Exchange(site, words, ListStatuses::k21x, body)) {
        return false;
    }
    switch (ParseQueryAnswer(body, matches)) {
        case QueryOutcome::kMatches:
            return FinishCommand(body, true);
        case QueryOutcome::kNoMatch:
            // No error code: a 202 keeps its answer for the error text.
            lastAnswer_ = StatusCode(body) == 202 ? body : std::string();
            return false;
        case QueryOutcome::kUnexpected:
            break;
    }
    return FinishCommand(body, false);
}

bool CddbClient::Read(const CddbSite& site, std::uint32_t discId, const std::string& category,
                      DiscRecord& record) {
    const std::string words =
        "cddb+read+" + UrlEncodeWord(category, protocolLevel_) + "+" + HexId(discId);
    std::string body;
    if (!Exchange(site, words, ListStatuses::kAll, body)) {
        return false;
    }
    const bool parsed = ParseRecord(body, record);
    record.discId = discId;  // a DISCID line may list several ids
    return parsed;
}

bool CddbClient::ParseRecord(std::string_view body, DiscRecord& record) {
    return FinishCommand(body, ParseXmcdRecord(body, record));
}

bool CddbClient::Sites(const CddbSite& site, std::vector<CddbSite>& sites) {
    std::string body;
    return Exchange(site, "sites", ListStatuses::kAll, body) &&
           FinishCommand(body, ParseSitesAnswer(body, sites));
}

bool CddbClient::Motd(const CddbSite& site, std::string& text) {
    std::string body;
    // A message that is not there is no protocol fault: no error code.
    return Exchange(site, "motd", ListStatuses::kAll, body) &&
           FinishCommand(body, ParseMotdAnswer(body, text), 0);
}

bool CddbClient::Search(const CddbSite& site, std::string_view artistWords,
                        std::string_view albumWords, std::vector<DiscMatch>& matches) {
    matches.clear();
    const std::string words = "search&artist=" + UrlEncodeWord(artistWords, protocolLevel_) +
                              "&album=" + UrlEncodeWord(albumWords, protocolLevel_);
    std::string body;
    if (!Exchange(site, words, ListStatuses::k200And21x, body)) {
        return false;
    }
    switch (ParseSearchAnswer(body, matches)) {
        case QueryOutcome::kMatches:
        case QueryOutcome::kNoMatch:
            return FinishCommand(body, true);
        case QueryOutcome::kUnexpected:
            break;
    }
    return FinishCommand(body, false);
}

bool CddbClient::FinishCommand(std::string_view body, bool parsed, int failureCode) {
    if (parsed) {
        lastAnswer_.clear();
        return true;
    }
    lastAnswer_ = body;
    if (failureCode != 0) {
        errorCode_ = failureCode;
    }
    return false;
}

}  // namespace corvane
