#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cddb/ServerProcess.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using test::MakeRecord;
using test::ServerProcess;
using test::WriteRecord;

struct CliResult {
    int status = -1;
    std::string out;  // standard output
    std::string all;  // standard output and error
};

CliResult Cli(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{test::BinDir() + "/corvane-cli"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    CliResult run;
    run.status = test::RunProcess(argv, &run.out);
    std::vector<std::string> shell{"sh", "-c", "\"$0\" \"$@\" 2>&1"};
    shell.insert(shell.end(), argv.begin(), argv.end());
    test::RunProcess(shell, &run.all);
    return run;
}

// The value of "discId" in the scan command's JSON.
std::string ScannedDiscId(const std::string& folder) {
    const CliResult scan = Cli({"scan", folder, "--json"});
    const std::size_t at = scan.out.find("\"discId\": \"");
    return at == std::string::npos ? std::string() : scan.out.substr(at + 11, 8);
}

class CddbCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::HaveProgram("lame")) {
            GTEST_SKIP() << "lame is not installed";
        }
        ASSERT_FALSE(test::MakeMp3(album_.path(), "01.mp3", 44100 * 3, {"-b", "128"}).empty());
        ASSERT_FALSE(test::MakeMp3(album_.path(), "02.mp3", 44100 * 2, {"-b", "128"}).empty());
        discId_ = ScannedDiscId(album_.path());
        ASSERT_EQ(discId_.size(), 8u);
        WriteRecord(db_.path(), "rock", discId_,
                    MakeRecord(discId_, {150, 375}, 5, "The Band / First Light", {"Dawn", "Dusk"}));
        WriteRecord(db_.path(), "jazz", "0a0b0c0d",
                    MakeRecord("0a0b0c0d", {150}, 60, "Quartet / Blue", {"Only"}));
        server_ = std::make_unique<ServerProcess>(db_.path());
        ASSERT_GT(server_->Port(), 0);
        address_ = "127.0.0.1:" + std::to_string(server_->Port());
    }

    test::TempDir album_;
    test::TempDir db_;
    std::string discId_;
    std::unique_ptr<ServerProcess> server_;
    std::string address_;
};

TEST_F(CddbCli, QueryPrintsTheDiscIdAndMatches) {
    const CliResult text = Cli({"query", album_.path(), "--server", address_});
    ASSERT_EQ(text.status, 0) << text.all;
    EXPECT_EQ(text.out,
              "DISK ID = " + discId_ + "\nrock\t" + discId_ + "\tThe Band\tFirst Light\n");

    const CliResult json = Cli({"query", album_.path(), "--server", address_, "--json"});
    ASSERT_EQ(json.status, 0) << json.all;
    EXPECT_EQ(json.out, "{\n  \"discId\": \"" + discId_ +
                            "\",\n  \"matches\": [\n    {\n      \"category\": \"rock\",\n"
                            "      \"discId\": \"" +
                            discId_ +
                            "\",\n      \"artist\": \"The Band\",\n"
                            "      \"title\": \"First Light\"\n    }\n  ]\n}\n");
}

TEST_F(CddbCli, QueryWithoutMatchIsNotAFailure) {
    std::filesystem::remove(db_.File("rock/" + discId_));
    const CliResult run = Cli({"query", album_.path(), "--server", address_, "--json"});
    EXPECT_EQ(run.status, 0) << run.all;
    EXPECT_NE(run.out.find("\"matches\": []"), std::string::npos) << run.out;
}

TEST_F(CddbCli, ReadPrintsTheParsedRecord) {
    const CliResult text = Cli({"read", "jazz", "0a0b0c0d", "--server", address_});
    ASSERT_EQ(text.status, 0) << text.all;
    EXPECT_NE(text.out.find("artist: Quartet\nalbum: Blue\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\n1\tOnly\n"), std::string::npos);

    const CliResult json = Cli({"read", "jazz", "A0B0C0D", "--server", address_, "--json"});
    ASSERT_EQ(json.status, 0) << json.all;
    EXPECT_NE(json.out.find("\"discId\": \"0a0b0c0d\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"frameOffsets\": [150]"), std::string::npos);
    EXPECT_NE(json.out.find("\"trackTitles\": [\n    \"Only\"\n  ]"), std::string::npos);
    EXPECT_NE(json.out.find("\"playOrder\": []"), std::string::npos);
}

TEST_F(CddbCli, FailuresPrintTheErrorAndExitOne) {
    const CliResult missing = Cli({"read", "rock", "0badf00d", "--server", address_});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.all.find("Error: 10043, Response:"), std::string::npos) << missing.all;
    EXPECT_NE(missing.all.find("401 rock 0badf00d"), std::string::npos);

    const CliResult refused = Cli({"sites", "--server", "127.0.0.1:1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.all.find("Error: 10061, Response:"), std::string::npos) << refused.all;

    EXPECT_EQ(Cli({"read", "rock"}).status, 2);
    EXPECT_EQ(Cli({"read", "rock", "xyz"}).status, 2);
    EXPECT_EQ(Cli({"sites", "--server", "a b"}).status, 2);
    EXPECT_EQ(Cli({"query"}).status, 2);
}

TEST_F(CddbCli, SitesAndTheProxyPath) {
    const CliResult sites = Cli({"sites", "--server", address_});
    ASSERT_EQ(sites.status, 0) << sites.all;
    EXPECT_EQ(sites.out, "127.0.0.1 http " + std::to_string(server_->Port()) +
                             " /~cddb/cddb.cgi N000.00 W000.00 Corvane local CDDB server\n");

    // The local server also takes the absolute form a proxy receives.
    ASSERT_TRUE(test::WriteFileBytes(db_.File("password"), "secret\n"));
    const CliResult proxied =
        Cli({"read", "jazz", "0a0b0c0d", "--server", "cddb.invalid", "--proxy", address_,
             "--proxy-user", "me", "--proxy-password-file", db_.File("password")});
    EXPECT_EQ(proxied.status, 0) << proxied.all;
    EXPECT_NE(proxied.out.find("album: Blue"), std::string::npos);
    const CliResult noFile = Cli({"read", "jazz", "0a0b0c0d", "--proxy", address_,
                                  "--proxy-password-file", db_.File("absent")});
    EXPECT_EQ(noFile.status, 1);
}

}  // namespace
}  // namespace corvane
