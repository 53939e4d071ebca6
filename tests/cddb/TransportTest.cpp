#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ProgramVersion.h"
#include "cddb/CddbClient.h"
#include "cddb/ScriptedServer.h"
#include "platform/TcpSocket.h"

namespace corvane {
namespace {

using test::HttpOk;
using test::ScriptedServer;
using Script = ScriptedServer::Script;
using Step = ScriptedServer::Step;

const char* const kHeader = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";

CddbSite LocalSite(int port) {
    CddbSite site;
    site.host = "127.0.0.1";
    site.port = port;
    return site;
}

long ElapsedMs(std::chrono::steady_clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - since)
                                 .count());
}

// Sends a request to the server and runs ReceiveAnswer on the connection.
bool Receive(CddbClient& client, int port, bool stopOnSingleLine, AnswerBuffer& answer) {
    TcpSocket socket;
    EXPECT_TRUE(socket.Create());
    EXPECT_TRUE(socket.Connect("127.0.0.1", port));
    const std::string request = "GET / HTTP/1.0\r\n\r\n";
    EXPECT_TRUE(socket.Send(request.data(), request.size()));
    return client.ReceiveAnswer(socket, CddbClient::kTerminator, 4096,
                                stopOnSingleLine ? ListStatuses::k21x : ListStatuses::kAll, answer);
}

long OpenDescriptors() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
}

// A single-line status is judged once the header block has ended and keeps
// its line break (there is no terminator); a list reads on to the terminator.
TEST(Transport, SingleLineStatusEndsTheReadAndAListReadsOn) {
    ScriptedServer single({Script{{Step{"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n", 0},
                                   Step{"\r\n", 80}, Step{"202 No match found\r\n", 80}},
                                  3000}});
    ScriptedServer list({Script{{Step{kHeader, 0}, Step{"211 close matches\r\nrock 1", 50},
                                 Step{"1111111 A / B\r\n.\r\n", 50}},
                                0}});
    CddbClient client;
    AnswerBuffer answer;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Receive(client, single.Port(), true, answer));
    EXPECT_LT(ElapsedMs(start), 1500);
    EXPECT_EQ(answer.text, std::string(kHeader) + "202 No match found\r\n");
    ASSERT_TRUE(Receive(client, list.Port(), true, answer));
    EXPECT_EQ(answer.text, std::string(kHeader) + "211 close matches\r\nrock 11111111 A / B");
}

// The answer ends at its terminator, in either line-break style, while the
// server still holds the connection open.
TEST(Transport, TerminatorEndsTheAnswerAndIsRemoved) {
    for (const std::string eol : {"\r\n", "\n"}) {
        SCOPED_TRACE(eol.size());
        ScriptedServer server({Script{{Step{std::string(kHeader) + "210 motd" + eol + "Hello" +
                                                eol + "World" + eol + "." + eol,
                                            0}},
                                      3000}});
        CddbClient client;
        std::string text;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(client.Motd(LocalSite(server.Port()), text));
        EXPECT_LT(ElapsedMs(start), 1500);
        EXPECT_EQ(text, "Hello" + eol + "World");
    }
}

// 4095 bytes fill a 4096-byte buffer exactly: with or without the
// terminator in them, the read goes on correctly after growing.
TEST(Transport, AnswerFillingTheBufferExactlyIsReadWhole) {
    const std::string first = std::string(kHeader) + "210 motd\r\n";
    const std::string tail = "\r\n.\r\n";
    const std::string whole = first + std::string(4095 - first.size() - tail.size(), 'x');
    const std::string filler(4095 - first.size(), 'y');
    ScriptedServer exact(whole + tail);
    ScriptedServer split({Script{{Step{first + filler, 0}, Step{"zz\r\n.\r\n", 100}}, 0}});
    CddbClient client;
    AnswerBuffer answer;
    ASSERT_TRUE(Receive(client, exact.Port(), false, answer));
    EXPECT_EQ(answer.text, whole);
    ASSERT_TRUE(Receive(client, split.Port(), false, answer));
    EXPECT_EQ(answer.text, first + filler + "zz");
}

// A read whose answer never ends well fails in time and keeps what came: a
// 401 on a connection held open then silent waits for the terminator until
// the short timeout, a trickle is cut off at the total limit, an answer
// without its terminator ends at the close.
TEST(Transport, AReadWhoseAnswerNeverEndsFailsInTime) {
    std::vector<Step> trickle{Step{kHeader, 0}};
    for (int i = 0; i < 100; ++i) {
        trickle.push_back(Step{"x", 40});
    }
    const std::string missing = HttpOk("401 rock 00000001 No such entry.\r\n");
    const std::string cut = HttpOk("210 rock 00000001 CD database entry follows\r\n# xmcd\r\n");
    const struct {
        Script script;
        long minMs;
        long maxMs;
        std::string received;  // the start of it
    } cases[] = {
        {{{{missing, 0}}, 3000}, 300, 1100, missing},
        {{trickle, 0}, 1150, 2500, std::string(kHeader) + "x"},
        {{{{cut, 0}}, 0}, 0, 250, cut},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.received);
        ScriptedServer server({c.script});
        CddbClient client;
        client.SetTimeouts(300, 1200);
        DiscRecord record;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(client.Read(LocalSite(server.Port()), 1, "rock", record));
        EXPECT_GE(ElapsedMs(start), c.minMs);
        EXPECT_LT(ElapsedMs(start), c.maxMs);
        EXPECT_EQ(client.ErrorCode(), 10043);
        EXPECT_EQ(client.LastAnswer().rfind(c.received, 0), 0u) << client.LastAnswer();
    }
}

TEST(Transport, ProxyRequestsAreByteExact) {
    const std::string url =
        "GET http://cddb.example/~cddb/cddb.cgi?cmd=motd&hello=joe+pc1+CorvaneMP3+2.00&proto=6 ";
    // 61 bytes of credentials: longer than one Base64 line would be.
    const std::string credentials =
        "Proxy-Authorization: Basic "
        "dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dTpwcHBwcHBwcHBwcHBwcHBwcHBwcA==\r\n";
    for (const bool login : {false, true}) {
        ScriptedServer proxy(HttpOk("210 motd\r\nhi\r\n.\r\n"));
        CddbClient client;
        client.SetEmail("joe@pc1");
        client.SetProxy("127.0.0.1", proxy.Port(), login ? std::string(40, 'u') : "",
                        login ? std::string(20, 'p') : "");
        CddbSite site;
        site.host = "cddb.example";
        site.port = 8880;  // not written into the URL
        std::string text;
        ASSERT_TRUE(client.Motd(site, text));
        EXPECT_EQ(proxy.Requests().at(0), url + "HTTP/1.0\r\n" + (login ? credentials : "") +
                                              "Host: cddb.example\r\nUser-Agent: CorvaneMP3/" +
                                              kProgramVersion + "\r\nUser-Email: joe@pc1\r\n\r\n");
    }
}

TEST(Transport, ConnectFailuresGiveTheWindowsCodes) {
    int port = 0;
    {
        ScriptedServer closed(HttpOk(""));
        port = closed.Port();
    }
    CddbClient client;
    DiscRecord record;
    EXPECT_FALSE(client.ParseRecord("401 earlier answer", record));
    std::string text;
    EXPECT_FALSE(client.Motd(LocalSite(port), text));
    EXPECT_EQ(client.ErrorCode(), 10061);
    // A command failing before any answer does not show an earlier one.
    EXPECT_EQ(client.LastAnswer(), "");
    CddbSite nowhere;
    nowhere.host = "no-such-host.invalid";
    EXPECT_FALSE(client.Motd(nowhere, text));
    EXPECT_EQ(client.ErrorCode(), 10022);
}

TEST(Transport, SocketIsClosedOnEveryPath) {
    const long before = OpenDescriptors();
    {
        // The servers run in this process: their sockets are gone when they are.
        ScriptedServer good(HttpOk("210 motd\r\nhi\r\n.\r\n"));
        ScriptedServer early(HttpOk("401 nothing\r\n"));
        ScriptedServer garbage(HttpOk("999 what\r\n.\r\n"));
        ScriptedServer silent({Script{{Step{kHeader, 0}}, 300}});
        CddbClient client;
        client.SetTimeouts(100, 1000);
        for (int round = 0; round < 3; ++round) {
            std::string text;
            DiscRecord record;
            std::vector<DiscMatch> matches;
            std::vector<CddbSite> sites;
            client.Motd(LocalSite(good.Port()), text);
            client.Read(LocalSite(early.Port()), 1, "rock", record);
            client.Sites(LocalSite(garbage.Port()), sites);
            client.Query(LocalSite(silent.Port()), 1, {{0, 2, 0}, {1, 0, 0}}, matches);
            client.Motd(LocalSite(1), text);
        }
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

// A connection the server keeps open carries the next command; one it closed
// meanwhile, before or after the request, is replaced by a new one; one it
// did not offer to keep, or whose answer's length is wrong, is not reused.
TEST(Transport, KeptConnectionCarriesTheNextCommand) {
    const std::string motd = "210 motd\r\nhi\r\n.\r\n";
    const auto answer = [&](const std::string& connection, std::size_t length) {
        return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(length) +
               "\r\nConnection: " + connection + "\r\n\r\n" + motd;
    };
    const std::string kept = answer("Keep-Alive", motd.size());
    const struct {
        const char* what;
        std::vector<Script> scripts;
        int connections;
    } cases[] = {
        {"kept", {Script{{Step{kept, 0}, Step{kept, 150}}, 400}}, 1},
        {"closed before the request", {Script{{Step{kept, 0}}, 0}, Script{{Step{kept, 0}}, 0}}, 2},
        {"closed after the request", {Script{{Step{kept, 0}}, 300}, Script{{Step{kept, 0}}, 0}}, 2},
        {"not offered", {Script{{Step{answer("close", motd.size()), 0}}, 400}}, 2},
        {"length wrong", {Script{{Step{answer("keep-alive", motd.size() + 9), 0}}, 400}}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedServer server(c.scripts);
        CddbClient client;
        std::string text;
        ASSERT_TRUE(client.Motd(LocalSite(server.Port()), text));
        if (std::string(c.what) == "closed before the request") {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        text.clear();
        ASSERT_TRUE(client.Motd(LocalSite(server.Port()), text));
        EXPECT_EQ(text, "hi");
        EXPECT_EQ(server.Connections(), c.connections);
    }
}

TEST(Commands, QueryWordsAndRequest) {
    const OffsetList offsets{{0, 2, 0}, {3, 30, 15}, {7, 1, 40}};
    EXPECT_EQ(CddbClient::QueryWords(0x1e019e02, offsets), "cddb+query+1e019e02+2+150+15765+421");
    EXPECT_EQ(CddbClient::QueryWords(1, {{0, 2, 0}}), "");

    ScriptedServer server(HttpOk("200 rock 1e019e02 Some Artist / Some Album\r\n"));
    CddbClient client;
    client.SetEmail("joe@pc1");
    client.SetProtocolLevel(6);
    std::vector<DiscMatch> matches;
    ASSERT_TRUE(client.Query(LocalSite(server.Port()), 0x1e019e02, offsets, matches));
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].artist, "Some Artist");
    EXPECT_EQ(server.Requests().at(0),
              "GET /~cddb/cddb.cgi?cmd=cddb+query+1e019e02+2+150+15765+421&hello=joe+pc1+"
              "CorvaneMP3+2.00&proto=6 HTTP/1.0\r\nHost: 127.0.0.1:" +
                  std::to_string(server.Port()) + "\r\nUser-Agent: CorvaneMP3/" + kProgramVersion +
                  "\r\nUser-Email: joe@pc1\r\nConnection: keep-alive\r\n\r\n");
}

TEST(Commands, ReadAnswerIsDecodedByLevel) {
    const std::string record =
        "210 rock 01020304 CD database entry follows\r\n# xmcd\r\n# Track frame offsets:\r\n"
        "#\t150\r\n# Disc length: 100 seconds\r\n# Submitted via: x 1\r\nDISCID=01020304\r\n"
        "DTITLE=Bj\xf6rk / Debut\r\nTTITLE0=Human Behaviour\r\nEXTT0=\r\n.\r\n";
    ScriptedServer server(HttpOk(record));
    CddbClient client;
    DiscRecord parsed;
    ASSERT_TRUE(client.Read(LocalSite(server.Port()), 0x0a0b0c0d, "rock", parsed));
    EXPECT_EQ(parsed.artist, "Bj\xc3\xb6rk");
    // The disc id asked for replaces the record's.
    EXPECT_EQ(parsed.discId, 0x0a0b0c0du);
    EXPECT_EQ(server.Requests().at(0).find("GET /~cddb/cddb.cgi?cmd=cddb+read+rock+0a0b0c0d&"), 0u);
}

}  // namespace
}  // namespace corvane
