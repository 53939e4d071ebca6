#include <cctype>
#include <cstdio>
#include <filesystem>

#include "album/AlbumFolder.h"
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
    EXPECT_EQ(json.out, "{\n  \"discId\": \"" + id_ +
                            "\",\n  \"matches\": [\n    {\n      \"category\": \"rock\",\n"
                            "      \"discId\": \"" +
                            id_ +
                            "\",\n      \"artist\": \"The Band\",\n"
                            "      \"title\": \"First Light\"\n    }\n  ]\n}\n");

    const test::CliRun read = Cli({"read", "rock", id_, "--server", server_});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_NE(read.out.find("artist: The Band\nalbum: First Light\n"), std::string::npos)
        << read.out;
    EXPECT_NE(read.out.find("\n2\tDusk\n"), std::string::npos);
    std::string upper = id_;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const test::CliRun readJson = Cli({"read", "rock", upper, "--server", server_, "--json"});
    ASSERT_EQ(readJson.status, 0) << readJson.err;
    for (const std::string& part : {"\"discId\": \"" + id_ + "\"",
                                    std::string("\"trackTitles\": [\n    \"Dawn\",\n    \"Dusk\""),
                                    std::string("\"playOrder\": []")}) {
        EXPECT_NE(readJson.out.find(part), std::string::npos) << part << "\n" << readJson.out;
    }

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

// The keyword search lists the albums whose artist or title hold the words,
// by the server's search command and on its web page alike.
TEST_F(CddbCli, SearchListsTheAlbumsTheWordsFind) {
    Serve();
    for (const std::vector<std::string>& way :
         {std::vector<std::string>{}, std::vector<std::string>{"--web", server_}}) {
        std::vector<std::string> arguments{"search", "first", "light", "--server", server_};
        arguments.insert(arguments.end(), way.begin(), way.end());
        const test::CliRun found = Cli(arguments);
        ASSERT_EQ(found.status, 0) << found.err;
        EXPECT_EQ(found.out, "rock\t" + id_ + "\tThe Band / First Light\n");
        arguments[1] = "nothing";
        arguments[2] = "here";
        EXPECT_EQ(Cli(arguments).out, "No match.\n");
    }
    EXPECT_EQ(Cli({"search", "ab", "--server", server_}).status, 2);
    EXPECT_EQ(Cli({"search", "first light", "--server", "127.0.0.1:1"}).status, 1);
}

TEST_F(CddbCli, FailuresPrintTheErrorAndExitOne) {
    Serve();
    const test::CliRun missing = Cli({"read", "rock", "0badf00d", "--server", server_});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("Error: 10043, Response:"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("401 rock 0badf00d"), std::string::npos);
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

// Ids in tags written by other programs come first: the record is moved to
// ids the files' lengths do not give, and the tags name them.
TEST_F(CddbCli, QueryFindsTheIdsTheTagsCarry) {
    Serve();
    struct Case {
        const char* tool;
        std::vector<std::string> args;  // the files' names follow
        std::string id;
    };
    const std::vector<Case> cases = {
        {"mid3v2", {"--TXXX", "DISCID:0badcafe"}, "0badcafe"},
        {"mid3v2",
         {"--delete-frames=TXXX", "--comment", "iTunes_CDDB_1:1e001e03+2400+3+150+900+1650"},
         "1e001e03"},
        {"eyeD3",
         {"--quiet", "--remove-all-comments", "--user-text-frame", "CDDB DiscID:2a00b003"},
         "2a00b003"},
    };
    std::string from = id_;
    for (const Case& c : cases) {
        if (!test::HaveProgram(c.tool)) {
            std::printf("[  SKIPPED ] %s is not installed\n", c.tool);
            continue;
        }
        std::filesystem::rename(road_.Cddb() + "/rock/" + from, road_.Cddb() + "/rock/" + c.id);
        from = c.id;
        std::vector<std::string> argv{c.tool};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        for (const auto& entry : std::filesystem::directory_iterator(Album())) {
            if (IsMp3FileName(entry.path().filename().string())) {
                argv.push_back(entry.path().string());
            }
        }
        ASSERT_EQ(test::RunProcess(argv), 0) << c.tool;
        const test::CliRun query = Cli({"query", Album(), "--server", server_});
        EXPECT_EQ(query.out, "DISK ID = " + c.id + "\nrock\t" + c.id + "\tThe Band\tFirst Light\n")
            << c.tool << ": " << query.err;
    }
}

}  // namespace
}  // namespace corvane
