#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "support/ReferenceDiscId.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

// The built programs; by default the folder this test runs from.
std::string BinDir() {
    const char* dir = std::getenv("CORVANE_BIN_DIR");
    return dir != nullptr && *dir != '\0' ? dir : ExecutableDir();
}

struct CliRun {
    int status = -1;
    std::string out;  // standard output
    std::string all;  // standard output and error
};

// Runs a corvane-cli (by default the built one) with the arguments.
CliRun Cli(const std::vector<std::string>& arguments, std::string program = "") {
    if (program.empty()) {
        program = BinDir() + "/corvane-cli";
    }
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    CliRun run;
    run.status = test::RunProcess(argv, &run.out);
    std::vector<std::string> shell{"sh", "-c", "\"$0\" \"$@\" 2>&1"};
    shell.insert(shell.end(), argv.begin(), argv.end());
    test::RunProcess(shell, &run.all);
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(line);
    while (std::getline(in, part, separator)) {
        parts.push_back(part);
    }
    if (!line.empty() && line.back() == separator) {
        parts.emplace_back();
    }
    return parts;
}

class ScanCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(BinDir().empty());
        if (!std::filesystem::exists(BinDir() + "/Mp3Info.so")) {
            GTEST_SKIP() << "Mp3Info.so is not built";
        }
        if (!test::HaveProgram("lame")) {
            GTEST_SKIP() << "lame is not installed";
        }
    }

    // An album of real MP3 files whose tracks last whole CD frames.
    void MakeAlbum() {
        ASSERT_FALSE(test::MakeMp3(dir_.path(), "02 Two.mp3", frames_[1] * test::kCdFrameSamples,
                                   {"-b", "128", "--tt", "Zwei", "--ta", "Band", "--tl", "Album",
                                    "--ty", "1999", "--tn", "2", "--tg", "Rock"})
                         .empty());
        ASSERT_FALSE(test::MakeMp3(dir_.path(), "01 One.mp3", frames_[0] * test::kCdFrameSamples,
                                   {"-b", "192"}, 2, 44100, 2)
                         .empty());
        ASSERT_FALSE(test::MakeMp3(dir_.path(), "03 Three.MP3", frames_[2] * test::kCdFrameSamples,
                                   {"-V", "2"}, 1, 44100, 3)
                         .empty());
    }

    test::TempDir dir_;
    // The last track ends on the last frame of a second.
    std::vector<long> frames_{750, 1124, 1574};
};

TEST_F(ScanCommandTest, ListsFilesThenDiscIdAndOffsets) {
    MakeAlbum();
    ASSERT_TRUE(test::WriteFileBytes(dir_.File("notes.txt"), "not music"));
    const CliRun run = Cli({"scan", dir_.path()});
    ASSERT_EQ(run.status, 0) << run.all;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u + 1u + 4u) << run.out;

    const std::vector<std::string> one = Split(lines[0], '\t');
    ASSERT_EQ(one.size(), 12u) << lines[0];
    EXPECT_EQ(one[0], "01 One.mp3");
    EXPECT_EQ(one[1], "00:00:10");
    EXPECT_EQ(one[2], " - ");
    EXPECT_EQ(one[9], "192 Kbps");
    EXPECT_EQ(one[10], "Ok");
    EXPECT_FALSE(one[11].empty());

    const std::vector<std::string> two = Split(lines[1], '\t');
    ASSERT_EQ(two.size(), 12u) << lines[1];
    EXPECT_EQ(two[0], "02 Two.mp3");
    EXPECT_EQ(two[1], "00:00:14");
    EXPECT_EQ(two[2], "Track 02");
    EXPECT_EQ(two[3], "Zwei");
    EXPECT_EQ(two[4], "Album");
    EXPECT_EQ(two[5], "Band");
    EXPECT_EQ(two[6], "1999");
    EXPECT_EQ(two[7], "Rock");
    EXPECT_EQ(two[9], "128 Kbps");
    EXPECT_EQ(Split(lines[2], '\t')[0], "03 Three.MP3");

    EXPECT_EQ(lines[3], "DISK ID = " + test::ReferenceDiscId(frames_));
    EXPECT_EQ(lines[4], "0 2 0");
    EXPECT_EQ(lines[5], "0 12 0");
    EXPECT_EQ(lines[6], "0 26 74");  // 150 + 750 + 1124 = 2024 frames
    EXPECT_EQ(lines[7], "0 47 73");  // 2024 + 1574 = 3598 frames
}

TEST_F(ScanCommandTest, JsonHasEveryFieldAndIsValid) {
    MakeAlbum();
    const std::string latin1 = "Caf\xe9.mp3";
    ASSERT_TRUE(test::WriteFileBytes(dir_.File(latin1), std::string(3000, '\x55')));
    const CliRun run = Cli({"scan", "--json", dir_.path()});
    ASSERT_EQ(run.status, 0) << run.all;
    const std::string& json = run.out;
    EXPECT_NE(json.find("\"folder\": \"" + dir_.path() + "\""), std::string::npos);
    for (const char* key :
         {"fileName", "filePath", "artist", "album", "title", "year", "genre", "comment", "track",
          "playSeconds", "playTime", "bitrate", "fileType", "status"}) {
        EXPECT_NE(json.find("\"" + std::string(key) + "\": "), std::string::npos) << key;
    }
    EXPECT_NE(json.find("\"title\": \"Zwei\""), std::string::npos);
    EXPECT_NE(json.find("\"playTime\": 14.986666666666666"), std::string::npos);
    EXPECT_NE(json.find("\"fileName\": \"Caf\\u00e9.mp3\""), std::string::npos);
    EXPECT_NE(json.find("\"status\": 0"), std::string::npos);  // the random bytes
    // The damaged file is a track of length 0 at the end of the disc.
    std::vector<long> frames = frames_;
    frames.push_back(0);
    EXPECT_NE(json.find("\"discId\": \"" + test::ReferenceDiscId(frames) + "\""), std::string::npos)
        << json;
    EXPECT_NE(json.find("[0, 2, 0],\n    [0, 12, 0],\n    [0, 26, 74],\n    [0, 47, 73],\n    "
                        "[0, 47, 73]\n  ]"),
              std::string::npos)
        << json;
    if (test::HaveProgram("python3")) {
        const std::string check = dir_.File("out.json");
        ASSERT_TRUE(test::WriteFileBytes(check, json));
        EXPECT_EQ(
            test::RunProcess({"python3", "-c",
                              "import json,sys; d=json.load(open(sys.argv[1],encoding='utf-8'));"
                              "assert len(d['files'])==4 and len(d['offsets'])==5",
                              check}),
            0)
            << json;
    }
}

TEST_F(ScanCommandTest, EmptyFolderHasNoDiscId) {
    const CliRun text = Cli({"scan", dir_.path()});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out, "");
    const CliRun json = Cli({"scan", dir_.path(), "--json"});
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("\"files\": []"), std::string::npos) << json.out;
    EXPECT_EQ(json.out.find("discId"), std::string::npos);
    EXPECT_EQ(json.out.find("offsets"), std::string::npos);
}

TEST_F(ScanCommandTest, NonUtf8NameIsPrintedAsItsBytes) {
    const std::string name = "\xff\xfe name.mp3";
    ASSERT_FALSE(
        test::MakeMp3(dir_.path(), name, 75 * test::kCdFrameSamples, {"-b", "128"}).empty());
    const CliRun run = Cli({"scan", dir_.path()});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(Split(Lines(run.out)[0], '\t')[0], name);
    EXPECT_TRUE(std::filesystem::exists(dir_.File(name)));
}

TEST_F(ScanCommandTest, FolderThatCannotBeEnteredFails) {
    const CliRun run = Cli({"scan", dir_.File("missing")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.all.find(dir_.File("missing")), std::string::npos) << run.all;
}

TEST(ScanCommandUsage, WrongArgumentsAreUsageErrors) {
    ASSERT_FALSE(BinDir().empty());
    EXPECT_EQ(Cli({"scan"}).status, 2);
    EXPECT_EQ(Cli({"scan", "--json"}).status, 2);
    EXPECT_EQ(Cli({"scan", "a", "b"}).status, 2);
    EXPECT_EQ(Cli({"scan", "a", "--jsn"}).status, 2);
    EXPECT_EQ(Cli({"scan", ""}).status, 2);
    const CliRun run = Cli({"scan"});
    EXPECT_NE(run.all.find("scan FOLDER [--json]"), std::string::npos) << run.all;
}

TEST(ScanCommandUsage, MissingComponentIsReported) {
    // A copy of the program in a folder without Mp3Info.so.
    ASSERT_FALSE(BinDir().empty());
    test::TempDir dir;
    const std::string program = dir.File("corvane-cli");
    std::filesystem::copy_file(BinDir() + "/corvane-cli", program);
    const CliRun run = Cli({"scan", dir.path()}, program);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.all.find("Cannot find DLL <Mp3Info.so>\nPlease make sure this file is in the "
                           "Corvane MP3 directory !"),
              std::string::npos)
        << run.all;
}

}  // namespace
}  // namespace corvane
