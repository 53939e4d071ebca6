#include <filesystem>
#include <sstream>

#include "cli/CliTest.h"
#include "support/ReferenceDiscId.h"

namespace corvane {
namespace {

using test::kCdFrameSamples;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

class ScanCommandTest : public test::CliTest {
protected:
    // Three real MP3 files lasting whole CD frames (the last ends on the last
    // frame of a second), a damaged one with a Latin-1 name, and a text file.
    void MakeAlbum() {
        ASSERT_TRUE(road_.MakeAlbum({{"02 Two.mp3",
                                      frames_[1] * kCdFrameSamples,
                                      {"-b", "128", "--tt", "Zwei", "--ta", "Band", "--tl", "Album",
                                       "--ty", "1999", "--tn", "2", "--tg", "Rock"}},
                                     {"01 One.mp3", frames_[0] * kCdFrameSamples, {"-b", "192"}},
                                     {"03 Three.MP3", frames_[2] * kCdFrameSamples, {"-V", "2"}}}));
        ASSERT_TRUE(test::WriteFileBytes(Album() + "/" + latin1_, std::string(3000, '\x55')));
        ASSERT_TRUE(test::WriteFileBytes(Album() + "/notes.txt", "not music"));
    }

    const std::string latin1_ = "Caf\xe9.mp3";
    std::vector<long> frames_{750, 1124, 1574};
};

// The damaged file is a track of length 0 at the end of the disc; the id
// is checked against libdiscid.
TEST_F(ScanCommandTest, ListsFilesThenDiscIdAndOffsetsAsTextAndJson) {
    MakeAlbum();
    const test::CliRun text = Cli({"scan", Album()});
    ASSERT_EQ(text.status, 0) << text.err;
    const std::vector<std::string> lines = Split(text.out, '\n');
    ASSERT_EQ(lines.size(), 4u + 1u + 5u) << text.out;
    // The tagged file and the damaged one; the file type is the component's name for it.
    const auto cells = [&](std::size_t row) {
        std::vector<std::string> cells = Split(lines[row], '\t');
        cells.resize(11);
        return cells;
    };
    EXPECT_EQ(cells(1),
              (std::vector<std::string>{"02 Two.mp3", "00:00:14", "Track 02", "Zwei", "Album",
                                        "Band", "1999", "Rock", "", "128 Kbps", "Ok"}));
    EXPECT_EQ(cells(3), (std::vector<std::string>{latin1_, "00:00:00", "", "", "", "", "", "", "",
                                                  "0 Kbps", "Damaged"}));
    std::vector<long> frames = frames_;
    frames.push_back(0);
    const std::string discId = test::ReferenceDiscId(frames);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.end()),
              (std::vector<std::string>{"DISK ID = " + discId, "0 2 0", "0 12 0", "0 26 74",
                                        "0 47 73", "0 47 73"}));

    const test::CliRun json = Cli({"scan", "--json", Album()});
    ASSERT_EQ(json.status, 0) << json.err;
    for (const std::string& part :
         {std::string("\"playTime\": 14.986666666666666"),
          std::string("\"fileName\": \"Caf\\u00e9.mp3\""), "\"discId\": \"" + discId + "\""}) {
        EXPECT_NE(json.out.find(part), std::string::npos) << part << "\n" << json.out;
    }
}

TEST_F(ScanCommandTest, EmptyFolderHasNoDiscId) {
    const test::CliRun json = Cli({"scan", Album(), "--json"});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out, "{\n  \"folder\": \"" + Album() + "\",\n  \"files\": []\n}\n");
}

TEST_F(ScanCommandTest, MissingComponentIsReported) {
    // A copy of the program in a folder without Mp3Info.so.
    const std::string program = road_.TempFile("corvane-cli");
    std::filesystem::copy_file(test::BinDir() + "/corvane-cli", program);
    const test::CliRun run = test::RunCli({"scan", Album()}, road_.Work(), program);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Cannot find DLL <Mp3Info.so>\nPlease make sure this file is in the "
                           "Corvane MP3 directory !"),
              std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace corvane
