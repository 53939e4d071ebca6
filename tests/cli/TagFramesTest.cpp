// What a run writes beyond the seven fields, read back by mutagen's mid3v2:
// album artist, "n/N", the ids that found the album, the archive's cover
// embedded and saved; and Undo putting back the pictures the files had.
#include <filesystem>
#include <map>

#include "cli/CliTest.h"

namespace corvane {
namespace {

constexpr const char* kRelease = "5e1ea5e0-0000-4000-8000-000000000001";
// A JPEG's start is all the program looks at.
const std::string kArchiveCover = std::string("\xFF\xD8\xFF\xE0", 4) + "archive cover";
const std::string kOwnCover = std::string("\xFF\xD8\xFF\xE0", 4) + "the file's own";

class TagFramesTest : public test::CliTest {
protected:
    std::string Frames(const std::string& path) const {
        std::string out;
        EXPECT_EQ(test::RunProcess({"mid3v2", "-l", path}, &out), 0) << out;
        return out;
    }
    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
};

struct Case {
    bool v24;
    bool folderCover;  // a cover.jpg of the album folder, which stays the saved one
};

class MusicBrainzFindTest : public TagFramesTest, public ::testing::WithParamInterface<Case> {};

INSTANTIATE_TEST_SUITE_P(Versions, MusicBrainzFindTest,
                         ::testing::Values(Case{false, false}, Case{true, true}));

TEST_P(MusicBrainzFindTest, CarriesItsIdsAndTheArchiveCover) {
    if (!test::HaveProgram("mid3v2")) {
        GTEST_SKIP() << "mid3v2 (python3-mutagen) is not installed";
    }
    const Case c = GetParam();
    {
        ASSERT_TRUE(road_.MakeStandardAlbum());
        road_.AddMusicBrainzRelease("Los Niños", "Días: Vol 1", "2001-05-04", "hip hop",
                                    {"Café", "Why?", "Last \"One\""});
        std::filesystem::create_directories(road_.Cddb() + "/coverart");
        ASSERT_TRUE(
            test::WriteFileBytes(road_.Cddb() + "/coverart/" + kRelease + ".jpg", kArchiveCover));
        ASSERT_TRUE(road_.StartServer());
        ASSERT_TRUE(road_.WriteSettings(road_.ServerSettings()));
        // B.mp3 has a front cover and another program's frame of its own.
        ASSERT_TRUE(test::WriteFileBytes(road_.Work() + "/own.jpg", kOwnCover));
        ASSERT_EQ(test::RunProcess({"mid3v2", "--TXXX", "REPLAYGAIN_TRACK_GAIN:-6.00 dB", "-p",
                                    road_.Work() + "/own.jpg::3:image/jpeg", Album() + "/B.mp3"}),
                  0);
        if (c.folderCover) {
            ASSERT_TRUE(test::WriteFileBytes(Album() + "/cover.jpg", kOwnCover));
        }
        const std::map<std::string, std::string> before = test::Snapshot(Album());

        const test::CliRun run = Cli(c.v24 ? std::vector<std::string>{"apply", "--id3v24", Album()}
                                           : std::vector<std::string>{"apply", Album()});
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        const std::string dir = Album() + "/Los Niños - Días_ Vol 1";
        std::string saved;
        ASSERT_TRUE(test::ReadFileBytes(dir + "/cover.jpg", saved));
        EXPECT_EQ(saved, c.folderCover ? kOwnCover : kArchiveCover);

        const std::string first = Frames(dir + "/01 - Café.mp3");
        const std::string second = Frames(dir + "/02 - Why_.mp3");
        for (const std::string& line :
             {std::string("TPE2=Los Niños\n"), std::string("TRCK=2/3\n"),
              std::string(c.v24 ? "TDRC=2001\n" : "TYER=2001\n"),
              "TXXX=MusicBrainz Album Id=" + std::string(kRelease) + "\n",
              std::string(
                  "TXXX=MusicBrainz Album Artist Id=a1700000-0000-4000-8000-000000000001\n"),
              std::string(
                  "TXXX=MusicBrainz Release Group Id=9e000000-0000-4000-8000-000000000001\n"),
              "TXXX=MusicBrainz Disc Id=" + road_.MusicBrainzId() + "\n",
              std::string("UFID=http://musicbrainz.org=b'7ec0ad00-0000-4000-8000-000000000002'\n"),
              "APIC=cover front,  (image/jpeg, " + std::to_string(kArchiveCover.size()) +
                  " bytes)\n"}) {
            EXPECT_TRUE(Has(second, line)) << line << second;
        }
        EXPECT_FALSE(Has(second, c.v24 ? "TYER" : "TDRC")) << second;
        std::string bytes;
        ASSERT_TRUE(test::ReadFileBytes(dir + "/02 - Why_.mp3", bytes));
        EXPECT_EQ(bytes.substr(0, 4), std::string("ID3") + (c.v24 ? '\4' : '\3'));
        // The file's own cover and frame stay.
        EXPECT_TRUE(Has(first, "TXXX=REPLAYGAIN_TRACK_GAIN=-6.00 dB\n")) << first;
        EXPECT_TRUE(Has(first, "APIC=cover front,  (image/jpeg, " +
                                   std::to_string(kOwnCover.size()) + " bytes)"))
            << first;

        // The ids are what the next query asks for.
        std::string query;
        EXPECT_EQ(test::RunProcess({test::BinDir() + "/corvane-cli", "query", dir, "--musicbrainz",
                                    "--musicbrainz-server", "http://" + road_.ServerText()},
                                   &query),
                  0);
        EXPECT_TRUE(Has(query, std::string(kRelease) + "\tLos Niños / Días: Vol 1")) << query;

        // Undo: every byte back, the saved cover gone.
        std::string out;
        EXPECT_EQ(test::RunProcess({test::BinDir() + "/corvane-cli", "undo", Album()}, &out), 0)
            << out;
        EXPECT_TRUE(test::Snapshot(Album()) == before) << out;
    }
}

// A CDDB find carries its disc id; the next query asks for it first.
TEST_F(TagFramesTest, ACddbFindCarriesItsDiscId) {
    if (!test::HaveProgram("mid3v2")) {
        GTEST_SKIP() << "mid3v2 (python3-mutagen) is not installed";
    }
    ServeStandardAlbum("Various / Mix", {"A / One", "B / Two", "C / Three"});
    const test::CliRun run = Cli({"apply", "--no-directory", Album()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const std::string frames = Frames(Album() + "/03 - Three.mp3");
    // A compilation: each track's own artist, the album's apart.
    for (const std::string& line :
         {std::string("TPE1=C\n"), std::string("TPE2=Various\n"), std::string("TIT2=Three\n"),
          std::string("TRCK=3/3\n"), "TXXX=CDDB DiscID=" + road_.DiscId() + "\n"}) {
        EXPECT_TRUE(Has(frames, line)) << line << frames;
    }
    const test::CliRun query = Cli({"query", Album(), "--server", road_.ServerText()});
    ASSERT_EQ(query.status, 0) << query.err;
    EXPECT_TRUE(Has(query.out, road_.DiscId())) << query.out;
    EXPECT_FALSE(Has(query.err, "Trying")) << query.err;
}

}  // namespace
}  // namespace corvane
