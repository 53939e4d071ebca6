#include "platform/HttpFetch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "cddb/ScriptedServer.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

FetchRequest LocalRequest(int port) {
    FetchRequest request;
    request.url = "http://127.0.0.1:" + std::to_string(port) + "/page?q=a+b";
    request.userAgent = "CorvaneMP3/2.0.0";
    request.headers = {"User-Email: me@example.org"};
    return request;
}

TEST(HttpFetch, SendsTheHeadersAndReadsTheWholeBodyIntoAFile) {
    test::ScriptedServer server(test::HttpOk("line one\nline two\n"));
    std::string path;
    const FetchResult result = DownloadToTempFile(LocalRequest(server.Port()), path);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.httpStatus, 200);
    std::string text;
    EXPECT_TRUE(test::ReadFileBytes(path, text) && text == "line one\nline two\n") << text;
    std::filesystem::remove(path);
    const std::string request = server.Requests().at(0);
    EXPECT_NE(request.find("GET /page?q=a+b HTTP/1.1\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("User-Agent: CorvaneMP3/2.0.0\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("User-Email: me@example.org\r\n"), std::string::npos) << request;
}

TEST(HttpFetch, RefusesAnOverlongAnswerAndAServerThatNeverAnswers) {
    test::ScriptedServer big(test::HttpOk(std::string(200000, 'x')));
    FetchRequest request = LocalRequest(big.Port());
    request.maxBytes = 100000;
    std::string path = "stale";
    FetchResult result = DownloadToTempFile(request, path);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("longer than 100000 bytes"), std::string::npos) << result.error;
    EXPECT_TRUE(path.empty());

    test::ScriptedServer silent({test::ScriptedServer::Script{{}, 5000}});
    request = LocalRequest(silent.Port());
    request.timeoutSeconds = 1;
    result = FetchToMemory(request);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
}

}  // namespace
}  // namespace corvane
