// "corvane-cli apply" end to end: real lame files with names that say
// nothing, the local CDDB server, the settings file of the working
// directory; the result is read back with TagLib and byte by byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e/AlbumRoad.h"
#include "settings/SettingsValues.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::kSampleRate;
using test::Names;
using test::Snapshot;

struct ApplyRun {
    int status = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

class ApplyCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string missing = test::AlbumRoad::MissingTool(); !missing.empty()) {
            GTEST_SKIP() << missing;
        }
        album_ = road_.Album();
        work_ = road_.Work();
    }

    void MakeStandardAlbum() { ASSERT_TRUE(road_.MakeStandardAlbum()); }
    void MakeAlbum(const std::vector<test::EncodedTrack>& tracks) {
        ASSERT_TRUE(road_.MakeAlbum(tracks));
    }
    void AddRecord(const std::string& category, const std::string& dtitle,
                   const std::vector<std::string>& titles,
                   const std::map<int, std::string>& comments = {}) {
        road_.AddRecord(category, dtitle, titles, comments);
    }
    void StartServer() { ASSERT_TRUE(road_.StartServer()); }
    std::string ServerText() const { return road_.ServerText(); }
    void WriteSettings(const SettingsValues& values) { ASSERT_TRUE(road_.WriteSettings(values)); }
    void WriteSettingsForServer() { WriteSettings(road_.ServerSettings()); }

    // Runs corvane-cli apply in the working directory, where the settings lie.
    ApplyRun Apply(const std::vector<std::string>& arguments) {
        const std::string errFile = road_.TempFile("stderr.txt");
        std::vector<std::string> argv{
            "sh",    "-c",  "cd \"$1\" || exit 99; shift; exec \"$@\" 2>\"$0\"",
            errFile, work_, test::BinDir() + "/corvane-cli",
            "apply"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        ApplyRun run;
        run.status = test::RunProcess(argv, &run.out);
        test::ReadFileBytes(errFile, run.err);
        return run;
    }

    test::AlbumRoad road_;
    std::string album_;
    std::string work_;
};

TEST_F(ApplyCommandTest, PutsTheAlbumInOrder) {
    MakeStandardAlbum();
    const std::map<std::string, std::string> before = Snapshot(album_);
    AddRecord("rock", "Los Niños / Días: Vol 1", {"Café", "Why?", "Last \"One\""},
              {{1, "live take"}});
    StartServer();
    WriteSettingsForServer();

    const ApplyRun run = Apply({album_});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("3 MP3 files in " + album_ + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("DISK ID = " + road_.DiscId() + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Processing Files, started at "), std::string::npos);
    EXPECT_NE(run.out.find("\nCreating New Directory... Done.\nMoving Files... Done.\n"
                           "Renaming and ID3Tag Files... Done.\nCreating Playlist... Done.\n"
                           "Operation finished at "),
              std::string::npos)
        << run.out;

    const std::string dir = album_ + "/Los Niños - Días_ Vol 1";
    EXPECT_EQ(Names(album_), std::vector<std::string>{"Los Niños - Días_ Vol 1"});
    const std::vector<std::string> names{"01 - Café.mp3", "02 - Why_.mp3", "03 - Last 'One'.mp3"};
    std::vector<std::string> expected = names;
    expected.push_back("Los Niños - Días_ Vol 1.m3u");
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(Names(dir), expected);

    test::ExpectStandardAlbumTracks(dir, names, before);

    std::string playlist;
    ASSERT_TRUE(test::ReadFileBytes(dir + "/Los Niños - Días_ Vol 1.m3u", playlist));
    EXPECT_EQ(playlist,
              "#EXTM3U\r\n"
              "#EXTINF:5,Café\r\n01 - Café.mp3\r\n"
              "#EXTINF:3,Why?\r\n02 - Why_.mp3\r\n"
              "#EXTINF:4,Last \"One\"\r\n03 - Last 'One'.mp3\r\n");
}

TEST_F(ApplyCommandTest, DryRunShowsThePlanAndChangesNothing) {
    MakeStandardAlbum();
    AddRecord("rock", "Band / Album", {"One", "Two", "Three"});
    StartServer();
    WriteSettingsForServer();
    const std::map<std::string, std::string> before = Snapshot(album_);

    const ApplyRun run = Apply({"--dry-run", album_});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Directory: Band - Album\n"
                           "B.mp3 -> 01 - One.mp3\n"
                           "a.MP3 -> 02 - Two.mp3\n"
                           "c (copy).mp3 -> 03 - Three.mp3\n"
                           "Playlist: Band - Album.m3u\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("Processing Files"), std::string::npos);
    EXPECT_TRUE(Snapshot(album_) == before);

    // The same plan without directory and playlist, with the options' naming.
    const ApplyRun flat = Apply({"--dry-run", "--no-directory", "--no-playlist", "--format",
                                 "%2 (%0)", "--case", "upper", album_});
    ASSERT_EQ(flat.status, 0) << flat.out << flat.err;
    EXPECT_NE(flat.out.find("Directory: none, the files stay in " + album_ +
                            "\n"
                            "B.mp3 -> ONE (01).mp3\n"
                            "a.MP3 -> TWO (02).mp3\n"
                            "c (copy).mp3 -> THREE (03).mp3\n"
                            "Playlist: none\n"),
              std::string::npos)
        << flat.out;
    EXPECT_TRUE(Snapshot(album_) == before);
}

TEST_F(ApplyCommandTest, SeveralMatchesAreListedUntilOneIsChosen) {
    MakeStandardAlbum();
    AddRecord("rock", "Zeta Band / Live", {"One", "Two", "Three"});
    AddRecord("jazz", "alpha Band / Studio", {"Uno", "Dos", "Tres"});
    AddRecord("blues", "Zeta Band / Live", {"Blue 1", "Blue 2", "Blue 3"});
    StartServer();
    WriteSettingsForServer();
    const std::map<std::string, std::string> before = Snapshot(album_);

    const ApplyRun list = Apply({album_});
    EXPECT_EQ(list.status, 3) << list.out << list.err;
    // Numbered alphabetically, ignoring case; then by category.
    const std::string id = "[" + road_.DiscId() + "]";
    EXPECT_NE(list.out.find("3 albums match this disc:\n"
                            "  1. alpha Band / Studio - " +
                            id +
                            " in jazz\n"
                            "  2. Zeta Band / Live - " +
                            id +
                            " in blues\n"
                            "  3. Zeta Band / Live - " +
                            id +
                            " in rock\n"
                            "Run again with --choose N to pick one.\n"),
              std::string::npos)
        << list.out;
    EXPECT_TRUE(Snapshot(album_) == before);

    const ApplyRun wrong = Apply({"--choose", "4", album_});
    EXPECT_EQ(wrong.status, 3);
    EXPECT_NE(wrong.out.find("There is no match 4.\n"), std::string::npos) << wrong.out;
    EXPECT_TRUE(Snapshot(album_) == before);

    const ApplyRun chosen = Apply({"--choose", "3", album_});
    ASSERT_EQ(chosen.status, 0) << chosen.out << chosen.err;
    EXPECT_EQ(Names(album_), std::vector<std::string>{"Zeta Band - Live"});
    EXPECT_EQ(Names(album_ + "/Zeta Band - Live"),
              (std::vector<std::string>{"01 - One.mp3", "02 - Two.mp3", "03 - Three.mp3",
                                        "Zeta Band - Live.m3u"}));
}

TEST_F(ApplyCommandTest, ADifferentTrackCountNeedsKeep) {
    MakeStandardAlbum();
    // Two titles for three files: the last file has no track.
    AddRecord("rock", "Band / Short", {"One", "Two"});
    StartServer();
    WriteSettingsForServer();
    const std::map<std::string, std::string> before = Snapshot(album_);

    const ApplyRun refused = Apply({album_});
    EXPECT_EQ(refused.status, 4) << refused.out << refused.err;
    EXPECT_NE(refused.out.find("Run again with --keep"), std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find("Operation cancelled.\n"), std::string::npos) << refused.out;
    EXPECT_TRUE(Snapshot(album_) == before);

    const ApplyRun kept = Apply({"--keep", album_});
    ASSERT_EQ(kept.status, 0) << kept.out << kept.err;
    EXPECT_NE(kept.out.find("Skipped \"c (copy).mp3\""), std::string::npos) << kept.out;
    // The file without a track stays where it was, unchanged.
    EXPECT_EQ(Names(album_), (std::vector<std::string>{"Band - Short", "c (copy).mp3"}));
    std::string bytes;
    ASSERT_TRUE(test::ReadFileBytes(album_ + "/c (copy).mp3", bytes));
    EXPECT_TRUE(bytes == before.at("c (copy).mp3"));
    EXPECT_EQ(Names(album_ + "/Band - Short"),
              (std::vector<std::string>{"01 - One.mp3", "02 - Two.mp3", "Band - Short.m3u"}));
}

TEST_F(ApplyCommandTest, MissingTracksAreIgnoredWithKeep) {
    MakeStandardAlbum();
    AddRecord("rock", "Band / Long", {"One", "Two", "Three", "Four"});
    StartServer();
    WriteSettingsForServer();

    EXPECT_EQ(Apply({album_}).status, 4);
    const ApplyRun kept = Apply({"--keep", "--no-directory", album_});
    ASSERT_EQ(kept.status, 0) << kept.out << kept.err;
    EXPECT_EQ(Names(album_), (std::vector<std::string>{"01 - One.mp3", "02 - Two.mp3",
                                                       "03 - Three.mp3", "Band - Long.m3u"}));
    std::string playlist;
    ASSERT_TRUE(test::ReadFileBytes(album_ + "/Band - Long.m3u", playlist));
    EXPECT_EQ(playlist,
              "#EXTM3U\r\n#EXTINF:5,One\r\n01 - One.mp3\r\n#EXTINF:3,Two\r\n02 - Two.mp3\r\n"
              "#EXTINF:4,Three\r\n03 - Three.mp3\r\n");
}

TEST_F(ApplyCommandTest, NamingAndServerComeFromTheSettingsUnlessGiven) {
    MakeStandardAlbum();
    AddRecord("rock", "Band / Album", {"one", "two", "three"});
    StartServer();
    SettingsValues values;
    values.configured = 1;
    values.cddbServer = ServerText();
    values.nameFormat = "(%1) - %0 - %2";
    WriteSettings(values);

    const ApplyRun fromSettings = Apply({"--dry-run", album_});
    ASSERT_EQ(fromSettings.status, 0) << fromSettings.out << fromSettings.err;
    EXPECT_NE(fromSettings.out.find("B.mp3 -> (Band) - 01 - one.mp3\n"), std::string::npos)
        << fromSettings.out;

    // The template may be written with its words; the case mode by its name.
    const ApplyRun words =
        Apply({"--dry-run", "--format", "Title - Track#", "--case", "Capitalized", album_});
    ASSERT_EQ(words.status, 0) << words.out << words.err;
    EXPECT_NE(words.out.find("B.mp3 -> One - 01.mp3\n"), std::string::npos) << words.out;

    // A server that is not there: the settings' one fails, --server wins.
    const int deadPort = road_.Port();
    road_.StopServer();
    const ApplyRun dead = Apply({"--dry-run", album_});
    EXPECT_EQ(dead.status, 1);
    EXPECT_NE(dead.out.find("Cannot connect to CDDB server. Please check connection settings.\n"),
              std::string::npos)
        << dead.out;
    StartServer();
    ASSERT_NE(road_.Port(), deadPort);
    const ApplyRun given = Apply({"--dry-run", "--server", ServerText(), album_});
    EXPECT_EQ(given.status, 0) << given.out << given.err;
}

TEST_F(ApplyCommandTest, AnAlbumNotFoundChangesNothing) {
    MakeStandardAlbum();
    fs::create_directories(road_.Cddb() + "/rock");
    StartServer();
    WriteSettingsForServer();
    const std::map<std::string, std::string> before = Snapshot(album_);

    const ApplyRun run = Apply({album_});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("Disk not found in the CDDB database with automatic diskid "
                           "detection.\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Operation cancelled.\n"), std::string::npos);
    EXPECT_TRUE(Snapshot(album_) == before);
}

TEST_F(ApplyCommandTest, AFailedFileMakesTheExitCodeOne) {
    MakeStandardAlbum();
    // Two tracks of the same title would get the same name.
    AddRecord("rock", "Band / Twice", {"Same", "Other", "Same"});
    StartServer();
    WriteSettingsForServer();

    const ApplyRun plan = Apply({"--dry-run", "--format", "%2", album_});
    ASSERT_EQ(plan.status, 0) << plan.out << plan.err;
    EXPECT_NE(plan.out.find("B.mp3 -> Same.mp3\n"), std::string::npos) << plan.out;
    EXPECT_NE(plan.out.find("c (copy).mp3 -> Same.mp3  (a file above gets that name: this one "
                            "will keep its name)\n"),
              std::string::npos)
        << plan.out;

    const ApplyRun run = Apply({"--format", "%2", album_});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("Cannot rename \"c (copy).mp3\" to \"Same.mp3\""), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Renaming and ID3Tag Files...\n"), std::string::npos) << run.out;
    // No file is lost: three files and the playlist.
    EXPECT_EQ(
        Names(album_ + "/Band - Twice"),
        (std::vector<std::string>{"Band - Twice.m3u", "Other.mp3", "Same.mp3", "c (copy).mp3"}));
}

TEST_F(ApplyCommandTest, ATakenNameIsForeseenAndNothingIsReplaced) {
    MakeStandardAlbum();
    AddRecord("rock", "Band / Album", {"One", "Two", "Three"});
    StartServer();
    WriteSettingsForServer();
    // An earlier album directory already holds a track of that name.
    fs::create_directories(album_ + "/Band - Album");
    ASSERT_TRUE(test::WriteFileBytes(album_ + "/Band - Album/02 - Two.mp3", "older file"));

    const ApplyRun plan = Apply({"--dry-run", album_});
    ASSERT_EQ(plan.status, 0) << plan.out << plan.err;
    EXPECT_NE(plan.out.find("a.MP3 -> 02 - Two.mp3  (that name is taken: the file will keep its "
                            "name)\n"),
              std::string::npos)
        << plan.out;

    const ApplyRun run = Apply({album_});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("Cannot rename \"a.MP3\" to \"02 - Two.mp3\""), std::string::npos)
        << run.out;
    std::string older;
    ASSERT_TRUE(test::ReadFileBytes(album_ + "/Band - Album/02 - Two.mp3", older));
    EXPECT_EQ(older, "older file");
    EXPECT_EQ(Names(album_ + "/Band - Album"),
              (std::vector<std::string>{"01 - One.mp3", "02 - Two.mp3", "03 - Three.mp3",
                                        "Band - Album.m3u", "a.MP3"}));
}

TEST_F(ApplyCommandTest, NamesThatAreNotUtf8SurviveTheRoad) {
    // "été.mp3" in Latin-1: sorts after "Z.mp3" byte-wise.
    const std::string latin1 = "\xE9t\xE9.mp3";
    MakeAlbum(
        {{latin1, 4 * kSampleRate, {"-b", "128"}}, {"Z.mp3", 3 * kSampleRate, {"-b", "128"}}});
    AddRecord("rock", "Band / Album", {"One", "Two"});
    StartServer();
    WriteSettingsForServer();

    // A folder named relative to the working directory works as well.
    const ApplyRun plan = Apply({"--dry-run", "--no-directory", "../in box"});
    ASSERT_EQ(plan.status, 0) << plan.out << plan.err;
    EXPECT_NE(plan.out.find("Z.mp3 -> 01 - One.mp3\n" + latin1 + " -> 02 - Two.mp3\n"),
              std::string::npos)
        << plan.out;

    const ApplyRun run = Apply({"--no-directory", "../in box"});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Names(album_),
              (std::vector<std::string>{"01 - One.mp3", "02 - Two.mp3", "Band - Album.m3u"}));
}

TEST_F(ApplyCommandTest, AReaderThatGoesAwayDoesNotStopTheRun) {
    MakeStandardAlbum();
    AddRecord("rock", "Band / Album", {"One", "Two", "Three"});
    StartServer();
    WriteSettingsForServer();
    // "true" has long gone when apply writes its first line.
    const std::string script = "cd \"$0\" && (sleep 0.3; \"$1\" apply \"$2\") | true";
    ASSERT_EQ(
        test::RunProcess({"sh", "-c", script, work_, test::BinDir() + "/corvane-cli", album_}), 0);
    EXPECT_EQ(Names(album_ + "/Band - Album"),
              (std::vector<std::string>{"01 - One.mp3", "02 - Two.mp3", "03 - Three.mp3",
                                        "Band - Album.m3u"}));
}

TEST_F(ApplyCommandTest, ASecondRunInPlaceKeepsTheAlbumAsItIs) {
    MakeStandardAlbum();
    AddRecord("rock", "Band / Album", {"One", "Two", "Three"});
    StartServer();
    WriteSettingsForServer();
    ASSERT_EQ(Apply({"--no-directory", album_}).status, 0);
    const std::map<std::string, std::string> first = Snapshot(album_);

    // The renamed files still have the disc's lengths: found again, and
    // every name is already right.
    const ApplyRun again = Apply({"--no-directory", album_});
    ASSERT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_NE(again.out.find("Renaming and ID3Tag Files... Done.\n"), std::string::npos)
        << again.out;
    const std::map<std::string, std::string> second = Snapshot(album_);
    ASSERT_EQ(Names(album_), (std::vector<std::string>{"01 - One.mp3", "02 - Two.mp3",
                                                       "03 - Three.mp3", "Band - Album.m3u"}));
    EXPECT_TRUE(second.at("Band - Album.m3u") == first.at("Band - Album.m3u"));
    for (const char* name : {"01 - One.mp3", "02 - Two.mp3", "03 - Three.mp3"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(test::AudioBytes(second.at(name)) == test::AudioBytes(first.at(name)));
        test::TagValues tags;
        ASSERT_TRUE(test::ReadTags(album_ + "/" + name, tags));
        EXPECT_EQ(tags.album, "Album");
        EXPECT_EQ(tags.title, std::string(name).substr(5, std::string(name).size() - 9));
    }
}

TEST_F(ApplyCommandTest, AnUnfinishedRunIsResumedOrUndone) {
    MakeStandardAlbum();
    AddRecord("rock", "Band / Album", {"One", "Two", "Three"});
    StartServer();
    WriteSettingsForServer();
    const std::map<std::string, std::string> before = Snapshot(album_);
    ASSERT_EQ(Apply({album_}).status, 0);
    // As if the run had been killed after its last change.
    const std::string journal = album_ + "/.corvane-run/journal";
    std::string text;
    ASSERT_TRUE(test::ReadFileBytes(journal, text));
    ASSERT_EQ(text.substr(text.size() - 4), "end\n");
    ASSERT_TRUE(test::WriteFileBytes(journal, text.substr(0, text.size() - 4)));

    const ApplyRun again = Apply({album_});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("the last run in " + album_ + " was not finished"), std::string::npos)
        << again.err;
    const std::string cli = test::BinDir() + "/corvane-cli";
    std::string out;
    EXPECT_EQ(test::RunProcess({cli, "resume", album_}, &out), 0) << out;
    EXPECT_NE(out.find("Renaming and ID3Tag Files... Done.\n"), std::string::npos) << out;
    EXPECT_EQ(test::RunProcess({cli, "resume", album_}), 1);
    // The album directory names the same run; undo puts every byte back.
    EXPECT_EQ(test::RunProcess({cli, "undo", album_ + "/Band - Album"}, &out), 0) << out;
    EXPECT_TRUE(Snapshot(album_) == before) << out;
    EXPECT_EQ(test::RunProcess({cli, "undo", album_}), 1);
}

TEST_F(ApplyCommandTest, BadArgumentsAreUsageErrors) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{}, 2, "which folder?"},
        {{"a", "b"}, 2, "only one folder"},
        {{"--bogus", "a"}, 2, "unknown option --bogus"},
        {{"--case", "shout", "a"}, 2, "unknown case mode \"shout\""},
        {{"--choose", "0", "a"}, 2, "--choose needs a match number"},
        {{"--server", "a host", "a"}, 2, "is not HOST or HOST:PORT"},
        {{"--server", "host:99999", "a"}, 2, "is not HOST or HOST:PORT"},
        {{"--format"}, 2, "--format needs a value"},
        {{"--"}, 2, "which folder?"},
        {{road_.TempFile("no such folder")}, 1, "no such folder: No such file or directory"},
        {{work_}, 1, "no MP3 files in"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const ApplyRun run = Apply(c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace corvane
