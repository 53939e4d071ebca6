// "corvane-cli apply" end to end: real lame files with names that say
// nothing, the local CDDB server, the settings file of the working
// directory; the result is read back with TagLib and byte by byte.
#include <filesystem>
#include <map>
#include <thread>

#include "cli/CliTest.h"
#include "processing/RunLock.h"

namespace corvane {
namespace {

using test::Names;
using test::Snapshot;
using Files = std::vector<std::string>;

class ApplyCommandTest : public test::CliTest {
protected:
    test::CliRun Apply(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), "apply");
        return Cli(arguments);
    }
    bool Contains(const test::CliRun& run, const std::string& text) const {
        return run.out.find(text) != std::string::npos;
    }
};

TEST_F(ApplyCommandTest, PutsTheAlbumInOrder) {
    ASSERT_TRUE(road_.MakeStandardAlbum());
    const std::map<std::string, std::string> before = Snapshot(Album());
    road_.AddRecord("rock", "Los Niños / Días: Vol 1", {"Café", "Why?", "Last \"One\""},
                    {{1, "live take"}});
    ASSERT_TRUE(road_.StartServer());
    ASSERT_TRUE(road_.WriteSettings(road_.ServerSettings()));
    // A cover moves along; a name without an extension is no dependency.
    test::WriteFileBytes(Album() + "/cover.jpg", "cover");
    test::WriteFileBytes(Album() + "/notes", "notes");

    const test::CliRun run = Apply({Album()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    for (const std::string& line :
         {"3 MP3 files in " + Album() + "\n", "DISK ID = " + road_.DiscId() + "\n",
          std::string("\nCreating New Directory... Done.\nMoving Files... Done.\n"
                      "Renaming and ID3Tag Files... Done.\nCreating Playlist... Done.\n"
                      "Checking For Dependencies... Done.\nMoving Dependencies Files...\n"
                      "cover.jpg -> Los Niños - Días_ Vol 1/cover.jpg\nDone.\n"
                      "Operation finished at ")}) {
        EXPECT_TRUE(Contains(run, line)) << line << "\n" << run.out;
    }
    const std::string dir = Album() + "/Los Niños - Días_ Vol 1";
    EXPECT_EQ(Names(Album()), (Files{"Los Niños - Días_ Vol 1", "notes"}));
    const Files names{"01 - Café.mp3", "02 - Why_.mp3", "03 - Last 'One'.mp3"};
    ASSERT_EQ(Names(dir),
              (Files{names[0], names[1], names[2], "Los Niños - Días_ Vol 1.m3u", "cover.jpg"}));
    // The playlist's content is the pipeline tests' business.
    test::ExpectStandardAlbumTracks(dir, names, before);
}

// A folder named relative to the working directory works as well.
TEST_F(ApplyCommandTest, DryRunShowsThePlanAndChangesNothing) {
    ServeStandardAlbum("Band / Album", {"One", "Two", "Three"});
    test::WriteFileBytes(Album() + "/cover.jpg", "cover");
    const std::map<std::string, std::string> before = Snapshot(Album());
    const test::CliRun run = Apply({"--dry-run", "../in box"});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(Contains(run,
                         "Directory: Band - Album\nB.mp3 -> 01 - One.mp3\na.MP3 -> 02 - Two.mp3\n"
                         "c (copy).mp3 -> 03 - Three.mp3\nPlaylist: Band - Album.m3u\n"
                         "Dependency cover.jpg -> Band - Album/cover.jpg\n"))
        << run.out;
    EXPECT_FALSE(Contains(run, "Processing Files"));

    // Without directory and playlist, with the options' naming.
    const test::CliRun flat = Apply({"--dry-run", "--no-directory", "--no-playlist", "--format",
                                     "%2 (%0)", "--case", "upper", Album()});
    ASSERT_EQ(flat.status, 0) << flat.out << flat.err;
    EXPECT_TRUE(Contains(flat, "Directory: none, the files stay in " + Album() +
                                   "\nB.mp3 -> ONE (01).mp3\na.MP3 -> TWO (02).mp3\n"
                                   "c (copy).mp3 -> THREE (03).mp3\nPlaylist: none\n"))
        << flat.out;

    // The user's own pairing, with the lengths it breaks kept; a name tells
    // the bitrate and length of its own file.
    test::WriteFileBytes(Album() + "/../pairs.txt", "a.MP3\t1\n\nB.mp3\t3\n");
    const test::CliRun paired =
        Apply({"--dry-run", "--keep", "--pairing", Album() + "/../pairs.txt", Album()});
    ASSERT_EQ(paired.status, 0) << paired.out << paired.err;
    EXPECT_TRUE(Contains(paired, "a.MP3 -> 01 - One.mp3\nB.mp3 -> 03 - Three.mp3\nPlaylist"))
        << paired.out;
    const test::CliRun described =
        Apply({"--dry-run", "--keep", "--pairing", Album() + "/../pairs.txt", Album(), "--format",
               "%0 - %2 [%6] [%5]"});
    EXPECT_TRUE(Contains(described, "B.mp3 -> 03 - Three [128Kbps] [00_00_05].mp3\nPlaylist"))
        << described.out;
    test::WriteFileBytes(Album() + "/../pairs.txt", "a.MP3\t9\n");
    EXPECT_EQ(Apply({"--pairing", Album() + "/../pairs.txt", Album()}).status, 1);
    EXPECT_TRUE(Snapshot(Album()) == before);
}

TEST_F(ApplyCommandTest, SeveralMatchesAreListedUntilOneIsChosen) {
    ServeStandardAlbum("Zeta Band / Live", {"One", "Two", "Three"});
    road_.AddRecord("jazz", "alpha Band / Studio", {"Uno", "Dos", "Tres"});
    road_.AddRecord("blues", "Zeta Band / Live", {"Blue 1", "Blue 2", "Blue 3"});
    const std::map<std::string, std::string> before = Snapshot(Album());

    const test::CliRun list = Apply({Album()});
    EXPECT_EQ(list.status, 3) << list.out << list.err;
    // Numbered alphabetically, ignoring case; then by category.
    const std::string id = " - [" + road_.DiscId() + "] in ";
    EXPECT_TRUE(Contains(list, "3 albums match this disc:\n  1. alpha Band / Studio" + id +
                                   "jazz\n  2. Zeta Band / Live" + id +
                                   "blues\n  3. Zeta Band / Live" + id +
                                   "rock\nRun again with --choose N to pick one.\n"))
        << list.out;
    EXPECT_EQ(Apply({"--choose", "4", Album()}).status, 3);
    EXPECT_TRUE(Snapshot(Album()) == before);

    ASSERT_EQ(Apply({"--choose", "3", Album()}).status, 0);
    EXPECT_EQ(Names(Album() + "/Zeta Band - Live"),
              (Files{"01 - One.mp3", "02 - Two.mp3", "03 - Three.mp3", "Zeta Band - Live.m3u"}));
}

// A length more than 5 seconds off, or a different track count, is refused and changes
// nothing; with --keep the file without a track stays where it was, unchanged.
TEST_F(ApplyCommandTest, DoubtfulPairingsNeedKeep) {
    ASSERT_TRUE(road_.MakeStandardAlbum());
    // Track 2 lasts 10 seconds, its file a.MP3 3.
    test::WriteRecord(road_.Cddb(), "rock", road_.DiscId(),
                      test::MakeRecord(road_.DiscId(), {150, 525, 1275}, 25, "Band / Album",
                                       {"One", "Two", "Three"}));
    ASSERT_TRUE(road_.StartServer());
    ASSERT_TRUE(road_.WriteSettings(road_.ServerSettings()));
    const std::map<std::string, std::string> before = Snapshot(Album());
    const test::CliRun lengths = Apply({Album()});
    EXPECT_EQ(lengths.status, 4) << lengths.out << lengths.err;
    EXPECT_TRUE(Contains(lengths,
                         "1 file differs in length from its track by more than 5 seconds:\n"
                         "  a.MP3 (00:00:03) and track 2 \"Two\" (00:00:10)\n"
                         "Run again with --keep"))
        << lengths.out;
    road_.AddRecord("rock", "Band / Short", {"One", "Two"});
    const test::CliRun count = Apply({Album()});
    EXPECT_EQ(count.status, 4) << count.out << count.err;
    EXPECT_TRUE(Snapshot(Album()) == before);

    const test::CliRun kept = Apply({"--keep", Album()});
    ASSERT_EQ(kept.status, 0) << kept.out << kept.err;
    EXPECT_EQ(Names(Album()), (Files{"Band - Short", "c (copy).mp3"}));
    EXPECT_TRUE(Snapshot(Album()).at("c (copy).mp3") == before.at("c (copy).mp3"));
    EXPECT_EQ(Names(Album() + "/Band - Short"),
              (Files{"01 - One.mp3", "02 - Two.mp3", "Band - Short.m3u"}));
}

TEST_F(ApplyCommandTest, NamingAndServerComeFromTheSettingsUnlessGiven) {
    ServeStandardAlbum("Band / Album", {"one", "two", "three"});
    SettingsValues values = road_.ServerSettings();
    values.nameFormat = "(%1) - %0 - %2";
    ASSERT_TRUE(road_.WriteSettings(values));
    const test::CliRun fromSettings = Apply({"--dry-run", Album()});
    EXPECT_TRUE(Contains(fromSettings, "B.mp3 -> (Band) - 01 - one.mp3\n")) << fromSettings.out;

    // A server that is not there: the settings' one fails, --server wins.
    road_.StopServer();
    const test::CliRun dead = Apply({"--dry-run", Album()});
    EXPECT_EQ(dead.status, 1);
    ASSERT_TRUE(road_.StartServer());
    EXPECT_EQ(Apply({"--dry-run", "--server", road_.ServerText(), Album()}).status, 0);
}

TEST_F(ApplyCommandTest, AnAlbumNotFoundChangesNothing) {
    ServeStandardAlbum("Band / Album", {"One", "Two", "Three"});
    // A damaged file makes a disc id that cannot match; the output says so.
    test::WriteFileBytes(Album() + "/d.mp3", "truncated");
    const std::map<std::string, std::string> before = Snapshot(Album());
    const test::CliRun run = Apply({Album()});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_TRUE(
        Contains(run, "4 MP3 files in " + Album() + "\nDamaged: d.mp3 (no MPEG audio found)\n"))
        << run.out;
    EXPECT_TRUE(Contains(run, "The DISK ID counts the damaged file as a track of length 0"));
    EXPECT_TRUE(
        Contains(run, "Disk not found in the CDDB database with automatic diskid detection.\n"))
        << run.out;
    EXPECT_TRUE(Contains(run, "Run again with --search to look the album up by keywords"));
    EXPECT_TRUE(Contains(run, "Operation cancelled.\n"));
    EXPECT_TRUE(Snapshot(Album()) == before);
}

// A disc the CDDB server does not know is found by its table of contents on
// the local MusicBrainz stand-in; told not to ask, the command changes nothing.
TEST_F(ApplyCommandTest, AnAlbumUnknownToCddbIsFoundOnMusicBrainz) {
    ASSERT_TRUE(road_.MakeStandardAlbum());
    const std::map<std::string, std::string> before = Snapshot(Album());
    road_.AddMusicBrainzRelease("Los Niños", "Días: Vol 1", "2001-05-04", "hip hop",
                                {"Café", "Why?", "Last \"One\""});
    ASSERT_TRUE(road_.StartServer());
    ASSERT_TRUE(road_.WriteSettings(road_.ServerSettings()));

    const test::CliRun asked = Apply({"--no-musicbrainz", Album()});
    EXPECT_EQ(asked.status, 1) << asked.out << asked.err;
    EXPECT_EQ(asked.out.find("MusicBrainz"), std::string::npos) << asked.out;
    EXPECT_TRUE(Snapshot(Album()) == before);

    // B.mp3, a.MP3 and c (copy).mp3 last 385, 265 and 303 frames.
    std::string query;
    EXPECT_EQ(test::RunProcess({test::BinDir() + "/corvane-cli", "query", Album(), "--musicbrainz",
                                "--musicbrainz-server", "http://" + road_.ServerText()},
                               &query),
              0);
    EXPECT_EQ(query, "MusicBrainz DISC ID = " + road_.MusicBrainzId() +
                         "\nTOC = 1 3 1103 150 535 800\n"
                         "5e1ea5e0-0000-4000-8000-000000000001\tLos Niños / Días: Vol 1 (2001, ES, "
                         "CD)\n");

    const test::CliRun run = Apply({Album()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Disk not found in the CDDB database with automatic diskid detection.\n"
                           "MusicBrainz DISC ID = " +
                           road_.MusicBrainzId() +
                           "\nAsking MusicBrainz... Please wait\nAlbum found in MusicBrainz.\n"),
              std::string::npos)
        << run.out;
    // The archive's 404: no cover, and no failure either.
    EXPECT_TRUE(
        Contains(run, "Fetching the Cover...\nThe archive has no front cover of this release.\n"))
        << run.out;
    test::ExpectStandardAlbumTracks(Album() + "/Los Niños - Días_ Vol 1",
                                    {"01 - Café.mp3", "02 - Why_.mp3", "03 - Last 'One'.mp3"},
                                    before, "Hip-Hop", "");
}

// Two tracks of the same title would get the same name, and an earlier album directory holds
// a file of the second's name: the plan says so, the run fails on those files and replaces or
// loses none.
TEST_F(ApplyCommandTest, TakenNamesAreForeseenAndNothingIsReplaced) {
    ServeStandardAlbum("Band / Album", {"Same", "Two", "Same"});
    std::filesystem::create_directories(Album() + "/Band - Album");
    ASSERT_TRUE(test::WriteFileBytes(Album() + "/Band - Album/Two.mp3", "older file"));
    const test::CliRun plan = Apply({"--dry-run", "--format", "%2", Album()});
    for (const char* line :
         {"B.mp3 -> Same.mp3\n",
          "a.MP3 -> Two.mp3  (that name is taken: the file will keep its name)\n",
          "c (copy).mp3 -> Same.mp3  (a file above gets that name: this one will keep its "
          "name)\n"}) {
        EXPECT_TRUE(Contains(plan, line)) << line << plan.out;
    }

    const test::CliRun run = Apply({"--format", "%2", Album()});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_TRUE(Contains(run, "Cannot rename \"a.MP3\" to \"Two.mp3\"")) << run.out;
    EXPECT_TRUE(Contains(run, "Cannot rename \"c (copy).mp3\" to \"Same.mp3\"")) << run.out;
    std::string older;
    ASSERT_TRUE(test::ReadFileBytes(Album() + "/Band - Album/Two.mp3", older));
    EXPECT_EQ(older, "older file");
    EXPECT_EQ(Names(Album() + "/Band - Album"),
              (Files{"Band - Album.m3u", "Same.mp3", "Two.mp3", "a.MP3", "c (copy).mp3"}));
}

TEST_F(ApplyCommandTest, AReaderThatGoesAwayDoesNotStopTheRun) {
    ServeStandardAlbum("Band / Album", {"One", "Two", "Three"});
    // "true" has long gone when apply writes its first line.
    const std::string script = "cd \"$0\" && (sleep 0.3; \"$1\" apply \"$2\") | true";
    ASSERT_EQ(test::RunProcess(
                  {"sh", "-c", script, road_.Work(), test::BinDir() + "/corvane-cli", Album()}),
              0);
    EXPECT_EQ(Names(Album() + "/Band - Album"),
              (Files{"01 - One.mp3", "02 - Two.mp3", "03 - Three.mp3", "Band - Album.m3u"}));
}

TEST_F(ApplyCommandTest, AnUnfinishedRunIsResumedOrUndone) {
    ServeStandardAlbum("Band / Album", {"One", "Two", "Three"});
    const std::map<std::string, std::string> before = Snapshot(Album());
    ASSERT_EQ(Apply({Album()}).status, 0);
    // As if the run had been killed after its last change.
    const std::string journal = Album() + "/.corvane-run/journal";
    std::string text;
    ASSERT_TRUE(test::ReadFileBytes(journal, text));
    ASSERT_EQ(text.substr(text.size() - 4), "end\n");
    ASSERT_TRUE(test::WriteFileBytes(journal, text.substr(0, text.size() - 4)));

    const test::CliRun again = Apply({Album()});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("the last run in " + Album() + " was not finished"), std::string::npos)
        << again.err;
    const std::string cli = test::BinDir() + "/corvane-cli";
    std::string out;
    EXPECT_EQ(test::RunProcess({cli, "resume", Album()}, &out), 0) << out;
    EXPECT_NE(out.find("Renaming and ID3Tag Files... Done.\n"), std::string::npos) << out;
    EXPECT_EQ(test::RunProcess({cli, "resume", Album()}), 1);
    // The album directory names the same run; undo puts every byte back.
    EXPECT_EQ(test::RunProcess({cli, "undo", Album() + "/Band - Album"}, &out), 0) << out;
    EXPECT_TRUE(Snapshot(Album()) == before) << out;
    EXPECT_EQ(test::RunProcess({cli, "undo", Album()}), 1);
    // An undo killed while it cleared its journal away is finished by the next.
    std::filesystem::create_directory(Album() + "/.corvane-run");
    ASSERT_TRUE(test::WriteFileBytes(Album() + "/.corvane-run/tag-1", "old tag"));
    EXPECT_EQ(test::RunProcess({cli, "undo", Album()}), 0);
    EXPECT_TRUE(Snapshot(Album()) == before);
}

// One run per folder: of two applies started together one refuses, and
// while a run holds the folder, apply, resume and undo touch nothing.
TEST_F(ApplyCommandTest, ASecondRunOnTheFolderIsRefused) {
    ServeStandardAlbum("Band / Album", {"One", "Two", "Three"});
    const std::map<std::string, std::string> before = Snapshot(Album());
    test::CliRun runs[2];
    std::thread second([&] { runs[1] = Apply({Album()}); });
    runs[0] = Apply({Album()});
    second.join();
    const std::string refusal = std::string(kFolderLockedText) + "\n";
    EXPECT_EQ(runs[0].status + runs[1].status, 1) << runs[0].out << runs[1].out;
    // The loser was refused while the other ran, or (on a busy machine) came after it and
    // found the files gone; never do both proceed.
    const std::string& loser = runs[0].status != 0 ? runs[0].err : runs[1].err;
    EXPECT_TRUE(loser == refusal || loser.find("no MP3 files") != std::string::npos) << loser;

    RunLock first;
    ASSERT_EQ(first.LockRunOf(Album()), 0);
    const std::map<std::string, std::string> done = Snapshot(Album());
    for (const char* command : {"apply", "resume", "undo"}) {
        const test::CliRun run = Cli({command, Album()});
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.err, refusal) << command;
    }
    EXPECT_TRUE(Snapshot(Album()) == done);
    first.Release();
    EXPECT_EQ(Cli({"undo", Album()}).status, 0);
    EXPECT_TRUE(Snapshot(Album()) == before);
}

// Every command's wrong arguments, each run once.
TEST_F(ApplyCommandTest, BadArgumentsAreUsageErrors) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"apply"}, 2, "which folder?"},
        {{"apply", "a", "b"}, 2, "only one folder"},
        {{"apply", "--bogus", "a"}, 2, "unknown option --bogus"},
        {{"apply", "--choose", "0", "a"}, 2, "--choose needs a match number"},
        {{"apply", "--server", "a host", "a"}, 2, "is not HOST or HOST:PORT"},
        {{"apply", road_.TempFile("none")}, 1, "none: No such file or directory"},
        {{"apply", road_.Work()}, 1, "no MP3 files in"},
        {{"scan"}, 2, "usage: corvane-cli scan FOLDER [--json]"},
        {{"scan", "a", "--jsn"}, 2, "usage: corvane-cli scan"},
        {{"read", "rock"}, 2, "usage: corvane-cli read"},
        {{"read", "rock", "xyz"}, 2, "DISCID must be 1 to 8 hexadecimal digits"},
        {{"read", "rock", "1", "--proto", "7"}, 2, "--proto takes 5 or 6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const test::CliRun run = Cli(c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace corvane
