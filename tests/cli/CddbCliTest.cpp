#include <algorithm>
#include <cctype>
#include <filesystem>

#include "cli/CliTest.h"

namespace corvane {
namespace {

class CddbCli : public test::CliTest {
protected:
    void Serve() {
        ServeStandardAlbum("The Band / First Light", {"Dawn", "Dusk", "Noon"});
        id_ = road_.DiscId();
        server_ = road_.ServerText();
    }

    std::string id_;
    std::string server_;
};

TEST_F(CddbCli, QueryReadAndSitesPrintTheAnswers) {
    Serve();
    const test::CliRun query = Cli({"query", Album(), "--server", server_});
    ASSERT_EQ(query.status, 0) << query.err;
    EXPECT_EQ(query.out, "DISK ID = " + id_ + "\nrock\t" + id_ + "\tThe Band\tFirst Light\n");
    const test::CliRun json = Cli({"query", Album(), "--server", server_, "--json"});
    EXPECT_NE(json.out.find("\"artist\": \"The Band\",\n      \"title\": \"First Light\""),
              std::string::npos)
        << json.out;

    std::string upper = id_;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    const test::CliRun read = Cli({"read", "rock", upper, "--server", server_});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_NE(read.out.find("artist: The Band\nalbum: First Light\n"), std::string::npos)
        << read.out;
    EXPECT_NE(read.out.find("\n2\tDusk\n"), std::string::npos);

    const test::CliRun sites = Cli({"sites", "--server", server_});
    EXPECT_EQ(sites.out, "127.0.0.1 http " + std::to_string(road_.Port()) +
                             " /~cddb/cddb.cgi N000.00 W000.00 Corvane local CDDB server\n");
    // The local server also takes the absolute form a proxy receives.
    ASSERT_TRUE(test::WriteFileBytes(road_.TempFile("password"), "secret\n"));
    const test::CliRun proxied =
        Cli({"read", "rock", id_, "--server", "cddb.invalid", "--proxy", server_, "--proxy-user",
             "me", "--proxy-password-file", road_.TempFile("password")});
    EXPECT_EQ(proxied.status, 0) << proxied.err;
    EXPECT_NE(proxied.out.find("album: First Light"), std::string::npos);
}

// The keyword search lists the albums whose artist or title hold the words.
TEST_F(CddbCli, SearchListsTheAlbumsTheWordsFind) {
    Serve();
    const test::CliRun found = Cli({"search", "first", "light", "--server", server_});
    ASSERT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.out, "rock\t" + id_ + "\tThe Band / First Light\n");
}

TEST_F(CddbCli, FailuresPrintTheErrorAndExitOne) {
    Serve();
    const test::CliRun missing = Cli({"read", "rock", "0badf00d", "--server", server_});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Error: 10043, Response:401 rock 0badf00d"), std::string::npos)
        << missing.err;
    const test::CliRun refused = Cli({"sites", "--server", "127.0.0.1:1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Error: 10061 (connection refused), Response:"), std::string::npos)
        << refused.err;
    EXPECT_EQ(Cli({"read", "rock", id_, "--proxy", server_, "--proxy-password-file",
                   road_.TempFile("absent")})
                  .status,
              1);

    // No match is an answer, not a failure; a damaged file is named.
    std::filesystem::remove(road_.Cddb() + "/rock/" + id_);
    test::WriteFileBytes(Album() + "/d.mp3", "truncated");
    const test::CliRun none = Cli({"query", Album(), "--server", server_, "--json"});
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_NE(none.out.find("\"matches\": []"), std::string::npos) << none.out;
    EXPECT_NE(none.err.find("Damaged: d.mp3 (no MPEG audio found)\nThe DISK ID counts the "
                            "damaged file as a track of length 0"),
              std::string::npos)
        << none.err;
}

}  // namespace
}  // namespace corvane
