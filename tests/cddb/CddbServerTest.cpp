#include <gtest/gtest.h>

#include <random>

#include "CddbServer.h"
#include "cddb/ServerProcess.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

class CddbServerAnswer : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteRecord(dir_.path(), "rock", "0102a002",
                          test::MakeRecord("0102a002", {150, 21052}, 600, "Bj\xc3\xb6rk / Post",
                                           {"Army of Me", "Hyper-ballad"}));
        server_ = std::make_unique<CddbServer>(CddbServer::Options{dir_.path(), "", ""});
    }

    // The body of the answer to a GET of target.
    std::string Body(const std::string& target) {
        const std::string answer = server_->Answer("GET " + target + " HTTP/1.0\r\n\r\n");
        const std::size_t at = answer.find("\r\n\r\n");
        return at == std::string::npos ? std::string() : answer.substr(at + 4);
    }

    test::TempDir dir_;
    std::unique_ptr<CddbServer> server_;
};

TEST_F(CddbServerAnswer, EncodingFollowsTheLevel) {
    const std::string query =
        "/~cddb/cddb.cgi?cmd=cddb+query+0102a002+2+150+21052+600&hello=a+b+c+d";
    EXPECT_EQ(Body(query + "&proto=6"), "200 rock 0102a002 Bj\xc3\xb6rk / Post\r\n");
    EXPECT_EQ(Body(query + "&proto=5"), "200 rock 0102a002 Bj\xf6rk / Post\r\n");
    // Without a proto argument the level is 1.
    EXPECT_EQ(Body(query), "200 rock 0102a002 Bj\xf6rk / Post\r\n");
    EXPECT_NE(server_->Answer("GET " + query + "&proto=6 HTTP/1.0\r\n\r\n").find("charset=UTF-8"),
              std::string::npos);
}

TEST_F(CddbServerAnswer, ReadSendsTheRecordWithCrLfAndTerminator) {
    const std::string body =
        Body("/~cddb/cddb.cgi?cmd=cddb+read+ROCK+102A002&hello=a+b+c+d&proto=6");
    ASSERT_EQ(body.rfind("210 rock 0102a002 CD database entry follows", 0), 0u) << body;
    EXPECT_EQ(body.substr(body.size() - 5), "\r\n.\r\n");
    EXPECT_NE(body.find("\r\nTTITLE1=Hyper-ballad\r\n"), std::string::npos);
    EXPECT_EQ(body.find("\n\n"), std::string::npos);
}

TEST_F(CddbServerAnswer, FormsArriveInEveryShape) {
    // Percent-encoding and POST (the proxy form is tested on the running server).
    EXPECT_EQ(Body("/~cddb/cddb.cgi?cmd=cddb%20read%20rock%200102a002&hello=a+b+c+d&proto=6")
                  .substr(0, 4),
              "210 ");
    const std::string form = "cmd=cddb+read+rock+0102a002&hello=a+b+c+d&proto=6";
    const std::string post = server_->Answer("POST /~cddb/cddb.cgi HTTP/1.0\r\nContent-Length: " +
                                             std::to_string(form.size()) + "\r\n\r\n" + form);
    EXPECT_NE(post.find("\r\n\r\n210 rock 0102a002"), std::string::npos) << post;
}

TEST_F(CddbServerAnswer, MotdAndSitesComeFromTheirFiles) {
    ASSERT_TRUE(test::WriteFileBytes(dir_.File("motd.txt"), "Line one\r\nLine two\n"));
    ASSERT_TRUE(test::WriteFileBytes(dir_.File("sites.txt"),
                                     "a.example http 80 /~cddb/cddb.cgi N001.02 E003.04 A\n"));
    CddbServer server({dir_.path(), dir_.File("motd.txt"), dir_.File("sites.txt")});
    const std::string hello = "&hello=a+b+c+d&proto=6 HTTP/1.0\r\n\r\n";
    const std::string motd = server.Answer("GET /~cddb/cddb.cgi?cmd=motd" + hello);
    EXPECT_NE(motd.find(" MOTD follows (until terminating `.')\r\nLine one\r\nLine two\r\n.\r\n"),
              std::string::npos)
        << motd;
    const std::string sites = server.Answer("GET /~cddb/cddb.cgi?cmd=sites" + hello);
    EXPECT_NE(sites.find("\r\n\r\n210 OK, site information follows (until terminating `.')\r\n"
                         "a.example http 80 /~cddb/cddb.cgi N001.02 E003.04 A\r\n.\r\n"),
              std::string::npos)
        << sites;
    CddbServer missing({dir_.path(), dir_.File("none"), dir_.File("none")});
    EXPECT_NE(missing.Answer("GET /~cddb/cddb.cgi?cmd=sites" + hello).find("\r\n\r\n401 "),
              std::string::npos);
}

TEST_F(CddbServerAnswer, BadRequestsAreAnsweredNotCrashedOn) {
    EXPECT_EQ(server_->Answer("").rfind("HTTP/1.0 400", 0), 0u);
    EXPECT_EQ(server_->Answer("DELETE / HTTP/1.0\r\n\r\n").rfind("HTTP/1.0 400", 0), 0u);
    EXPECT_EQ(server_->Answer("GET /index.html HTTP/1.0\r\n\r\n").rfind("HTTP/1.0 404", 0), 0u);
    const std::string hello = "&hello=a+b+c+d&proto=6";
    const std::pair<std::string, std::string> cases[] = {
        {"cmd=frobnicate" + hello, "500 "},
        {"cmd=" + hello, "500 "},
        {"cmd=cddb+query+12" + hello, "500 "},
        {"cmd=cddb+query+0102a002+3+150+600" + hello, "500 "},
        {"cmd=cddb+query+0102a002+999+1+2" + hello, "500 "},
        {"cmd=cddb+read+..+0102a002" + hello, "500 "},
        {"cmd=cddb+read+rock+..%2F..%2Fetc" + hello, "500 "},
        {"cmd=cddb+read+rock+zz" + hello, "500 "},
        {"cmd=motd", "409 "},
        {"cmd=motd&hello=a+b+c&proto=6", "409 "},
        {"cmd=motd&hello=a+b+c+d&proto=x", "501 "},
        {"cmd=motd&hello=a+b+c+d&proto=9", "501 "},
    };
    for (const auto& [arguments, status] : cases) {
        EXPECT_EQ(Body("/~cddb/cddb.cgi?" + arguments).substr(0, 4), status) << arguments;
    }
    EXPECT_EQ(Body("/~cddb/cddb.cgi?cmd=cddb+lscat" + hello),
              "210 OK, category list follows (until terminating `.')\r\nrock\r\n.\r\n");
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string request = round % 2 ? "GET /~cddb/cddb.cgi?" : "";
        const std::size_t length = random() % 200;
        for (std::size_t i = 0; i < length; ++i) {
            request += static_cast<char>(random() % 3 ? "cmd=+&%/.0a \r\n"[random() % 15]
                                                      : random() & 0xff);
        }
        EXPECT_EQ(server_->Answer(request).rfind("HTTP/1.0 ", 0), 0u);
    }
}

}  // namespace
}  // namespace corvane
