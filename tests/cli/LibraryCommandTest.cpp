#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "album/DiscIdCalculator.h"
#include "cli/CliTest.h"
#include "musicbrainz/DiscToc.h"
#include "platform/Json.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// A tree of every kind of album, on the local CDDB server.
class LibraryCommandTest : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        root_ = road_.TempFile("library");
        AddDisc("found", {300, 260, 340}, "rock", "Found Artist / Found Album");
        AddDisc("ambiguous", {310, 270}, "rock", "Twin / One");
        WriteRecord(road_.Cddb(), "jazz", lastId_,
                    MakeRecord(lastId_, lastOffsets_, lastLength_, "Twin / Two", {"a", "b"}));
        AddDisc("unknown", {420, 280}, "", "");
        AddDisc("damaged", {330}, "rock", "Broken / Disc");
        WriteFileBytes(root_ + "/damaged/b.mp3", std::string(4000, 'x'));
        AddDisc("Box/CD1", {290, 250}, "rock", "Box Artist / Box (CD1)");
        AddDisc("Box/CD2", {500}, "rock", "Box Artist / Box (CD2)");
        AddDisc("Set (Disc 2)", {360, 240}, "misc", "Set Artist / Set - Disc 2");
        AddDisc("Set (Disc 1)", {230, 400}, "misc", "Set Artist / Set [Disc 1]");
        ASSERT_TRUE(road_.StartServer());
        SettingsValues settings = road_.ServerSettings();
        settings.askMusicBrainz = false;
        ASSERT_TRUE(road_.WriteSettings(settings));
        untouched_ = {Snapshot(root_ + "/ambiguous"), Snapshot(root_ + "/unknown"),
                      Snapshot(root_ + "/damaged")};
    }

    // Encodes a disc of tracks lasting frames (1/75 s) each, and files its
    // record unless category is empty.
    void AddDisc(const std::string& folder, const std::vector<long>& frames,
                 const std::string& category, const std::string& dtitle) {
        const std::string dir = root_ + "/" + folder;
        fs::create_directories(dir);
        TrackList files;
        std::vector<std::string> titles;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const long samples = frames[i] * kCdFrameSamples;
            ASSERT_FALSE(MakeMp3(dir, "rip" + std::to_string(i) + ".mp3", samples, {"-b", "64"}, 1,
                                 kSampleRate, static_cast<unsigned>(frames[i]))
                             .empty());
            files.emplace_back().playTime = static_cast<double>(samples) / kSampleRate;
            titles.push_back(folder + " song " + std::to_string(i + 1));
        }
        DiscIdCalculator calculator;
        lastId_ = HexId(calculator.ComputeDiscId(files));
        ASSERT_TRUE(ids_.insert(lastId_).second) << folder << ": two discs of one id";
        OffsetList offsets;
        calculator.GetOffsets(offsets);
        lastOffsets_.clear();
        for (std::size_t i = 0; i + 1 < offsets.size(); ++i) {
            lastOffsets_.push_back((offsets[i].minutes * 60 + offsets[i].seconds) * 75 +
                                   offsets[i].frames);
        }
        lastLength_ = offsets.back().minutes * 60 + offsets.back().seconds;
        lastMbId_ = MusicBrainzDiscId(TocFromOffsets(offsets));
        lastFrames_ = frames;
        if (!category.empty()) {
            WriteRecord(road_.Cddb(), category, lastId_,
                        MakeRecord(lastId_, lastOffsets_, lastLength_, dtitle, titles));
        }
    }

    CliRun Library(std::vector<std::string> more = {}) {
        more.insert(more.begin(), {"library", root_});
        return Cli(more);
    }

    // Every album filed once or untouched, never half.
    void ExpectFinalTree() {
        EXPECT_EQ(
            Names(root_ + "/found/Found Artist - Found Album"),
            (std::vector<std::string>{"01 - found song 1.mp3", "02 - found song 2.mp3",
                                      "03 - found song 3.mp3", "Found Artist - Found Album.m3u"}));
        EXPECT_EQ(Names(root_ + "/Box/Box Artist - Box"),
                  (std::vector<std::string>{"Box Artist - Box.m3u", "Disc 1", "Disc 2"}));
        EXPECT_EQ(Names(root_ + "/Box/Box Artist - Box/Disc 2"),
                  (std::vector<std::string>{"01 - Box_CD2 song 1.mp3"}));
        EXPECT_EQ(Names(root_ + "/Set Artist - Set/Disc 1"),
                  (std::vector<std::string>{"01 - Set (Disc 1) song 1.mp3",
                                            "02 - Set (Disc 1) song 2.mp3"}));
        std::string playlist;
        ReadFileBytes(root_ + "/Box/Box Artist - Box/Box Artist - Box.m3u", playlist);
        EXPECT_LT(playlist.find("Disc 1/02 - Box_CD1 song 2.mp3"),
                  playlist.find("Disc 2/01 - Box_CD2 song 1.mp3"));
        EXPECT_EQ(Names(root_ + "/Box/CD1"), std::vector<std::string>{});
        EXPECT_TRUE(Snapshot(root_ + "/ambiguous") == untouched_[0]);
        EXPECT_TRUE(Snapshot(root_ + "/unknown") == untouched_[1]);
        EXPECT_TRUE(Snapshot(root_ + "/damaged") == untouched_[2]);
    }

    // The MusicBrainz stand-in's answer to the last disc: medium `medium` of
    // release `release`, of two media.
    void AddMusicBrainzMedium(const std::string& release, int medium) {
        std::string tracks;
        for (std::size_t i = 0; i < lastFrames_.size(); ++i) {
            tracks += std::string(i == 0 ? "" : ",") + R"({"position":)" + std::to_string(i + 1) +
                      R"(,"title":"Song )" + std::to_string(i + 1) + R"(","length":)" +
                      std::to_string(lastFrames_[i] * 1000 / 75) + "}";
        }
        std::string media;
        for (int position = 1; position <= 2; ++position) {
            const std::string disc = position == medium ? JsonQuote(lastMbId_) : R"("other")";
            media += std::string(position == 1 ? "" : ",") + R"({"position":)" +
                     std::to_string(position) + R"(,"format":"CD","discs":[{"id":)" + disc +
                     R"(}],"tracks":[)" + tracks + "]}";
        }
        fs::create_directories(road_.Cddb() + "/musicbrainz");
        WriteFileBytes(road_.Cddb() + "/musicbrainz/" + lastMbId_ + ".json",
                       R"({"id":)" + JsonQuote(lastMbId_) + R"(,"releases":[{"id":)" +
                           JsonQuote(release) +
                           R"(,"title":"Opus","date":"2001","artist-credit":[{"name":"Opus )"
                           R"(Artist"}],"media":[)" +
                           media + "]}]}");
    }

    std::string root_;
    std::set<std::string> ids_;
    std::string lastId_;
    std::vector<int> lastOffsets_;
    int lastLength_ = 0;
    std::string lastMbId_;
    std::vector<long> lastFrames_;
    std::vector<std::map<std::string, std::string>> untouched_;
};

TEST_F(LibraryCommandTest, FilesWhatIsFoundListsTheRestAndUndoesNewestFirst) {
    const CliRun dry = Library({"--dry-run"});
    EXPECT_EQ(dry.status, 3) << dry.out << dry.err;
    EXPECT_NE(dry.out.find("  Directory: ../Box Artist - Box/Disc 1"), std::string::npos)
        << dry.out;
    EXPECT_FALSE(fs::exists(root_ + "/found/Found Artist - Found Album"));

    const std::string report = road_.TempFile("report.json");
    const CliRun run = Library({"--report", report});
    EXPECT_EQ(run.status, 3) << run.out << run.err;
    for (const char* line :
         {"choose: ambiguous: the CDDB server has 2 albums", "not found: unknown",
          "damaged: damaged: Damaged: b.mp3", "filed: Box (2 discs) -> Box/Box Artist - Box",
          "filed: Set (Disc 1) (2 discs) -> Set Artist - Set", "6 albums"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    }
    ExpectFinalTree();
    std::string json;
    ReadFileBytes(report, json);
    EXPECT_NE(json.find(R"("state":"filed","reason":"","discIds":[")"), std::string::npos) << json;

    // Again: nothing is looked up or filed twice.
    const CliRun again = Library();
    EXPECT_EQ(again.out.find("[CDDB]"), std::string::npos) << again.out;
    EXPECT_EQ(again.status, 3);
    ExpectFinalTree();

    const CliRun undo = Library({"--undo"});
    EXPECT_EQ(undo.status, 0) << undo.out << undo.err;
    EXPECT_LT(undo.out.find("undone: Set (Disc 1)"), undo.out.find("undone: found"));
    EXPECT_FALSE(fs::exists(root_ + "/Box/Box Artist - Box"));
    EXPECT_EQ(Names(root_ + "/Box/CD1"), (std::vector<std::string>{"rip0.mp3", "rip1.mp3"}));
}

// Killed at moments 10 ms further each time (listing, lookups, filing), then run to its end:
// the same tree as an uninterrupted run.
TEST_F(LibraryCommandTest, KilledAtAnyMomentTheSameCommandFinishesTheRun) {
    int kills = 0;
    for (int ms = 5; ms < 5000; ms += 10) {
        const CliRun run = RunCli({"-s", "KILL", std::to_string(ms / 1000.0),
                                   BinDir() + "/corvane-cli", "library", root_, "--jobs", "2"},
                                  road_.Work(), "timeout");
        if (run.status != -1 && run.status != 137) {
            break;
        }
        ++kills;
    }
    EXPECT_GT(kills, 2);
    const CliRun last = Library();
    EXPECT_EQ(last.status, 3) << last.out << last.err;
    ExpectFinalTree();
}

// Discs that only MusicBrainz knows belong together when they are media of one release.
TEST_F(LibraryCommandTest, DiscsAreOneAlbumWhenTheyAreMediaOfOneRelease) {
    root_ = road_.TempFile("mb");
    const struct {
        const char* folder;
        const char* release;
        int medium;
    } discs[] = {{"Opus/CD1", "5e1ea5e0-0000-4000-8000-000000000001", 1},
                 {"Opus/CD2", "5e1ea5e0-0000-4000-8000-000000000001", 2},
                 {"Mixed/CD1", "5e1ea5e0-0000-4000-8000-000000000001", 1},
                 {"Mixed/CD2", "5e1ea5e0-0000-4000-8000-000000000002", 2}};
    const std::vector<long> frames[] = {{600, 700}, {900}, {650, 800}, {1000}};
    for (std::size_t i = 0; i < std::size(discs); ++i) {
        AddDisc(discs[i].folder, frames[i], "", "");
        AddMusicBrainzMedium(discs[i].release, discs[i].medium);
    }
    ASSERT_TRUE(road_.WriteSettings(road_.ServerSettings()));

    const CliRun run = Library();
    EXPECT_EQ(run.status, 3) << run.out << run.err;
    EXPECT_NE(run.out.find("filed: Opus (2 discs) -> Opus/Opus Artist - Opus"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("choose: Mixed (2 discs): the discs do not belong to one album"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Names(root_ + "/Opus/Opus Artist - Opus"),
              (std::vector<std::string>{"Disc 1", "Disc 2", "Opus Artist - Opus.m3u"}));
    EXPECT_EQ(Names(root_ + "/Opus/Opus Artist - Opus/Disc 2"),
              std::vector<std::string>{"01 - Song 1.mp3"});
    EXPECT_EQ(Names(root_ + "/Mixed/CD2"), std::vector<std::string>{"rip0.mp3"});
}

// Killed while it undoes, then undone again: each album is put back once, nothing left over.
TEST_F(LibraryCommandTest, KilledWhileUndoingTheSameCommandFinishesTheUndo) {
    const auto before = Snapshot(root_);
    ASSERT_EQ(Library().status, 3);
    int kills = 0;
    for (int ms = 5; ms < 5000; ms += 10) {
        const CliRun run = RunCli({"-s", "KILL", std::to_string(ms / 1000.0),
                                   BinDir() + "/corvane-cli", "library", root_, "--undo"},
                                  road_.Work(), "timeout");
        if (run.status != -1 && run.status != 137) {
            break;
        }
        ++kills;
    }
    EXPECT_GT(kills, 2);
    const CliRun last = Library({"--undo"});
    EXPECT_EQ(last.status, 0) << last.out << last.err;
    EXPECT_EQ(last.out.find("undone:"), std::string::npos) << last.out;
    auto after = Snapshot(root_);
    std::erase_if(after, [](const auto& entry) {
        return entry.first.find(".corvane-") != std::string::npos;
    });
    EXPECT_TRUE(after == before);
}

}  // namespace
}  // namespace corvane::test
