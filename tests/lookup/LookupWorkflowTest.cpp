#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "album/DiscIdCalculator.h"
#include "album/DiscIdCandidates.h"
#include "cddb/CddbAgent.h"
#include "cddb/ScriptedServer.h"
#include "cddb/ServerProcess.h"
#include "components/SettingsValues.h"
#include "lookup/LookupView.h"
#include "lookup/LookupWorkflow.h"
#include "musicbrainz/DiscToc.h"
#include "platform/MemoryComboBox.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

// Records what the workflow asks of the window.
class FakeView : public LookupView {
public:
    void AddStatus(const std::string& text) override { status.push_back(text); }
    void EnableQuery(bool enable) override { queryEnabled = enable; }
    void EnableExecute(bool enable) override { executeEnabled = enable; }
    std::string ExecuteCaption() const override { return caption; }
    void SetBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
    TrackCountAnswer AskTrackCount(bool notEnough, bool allowNewAlbum) override {
        asked.push_back({notEnough, allowNewAlbum});
        const auto answer = static_cast<TrackCountAnswer>(answers.empty() ? 3 : answers.front());
        if (!answers.empty()) {
            answers.erase(answers.begin());
        }
        return answer;
    }
    void ShowDatabaseList() override { ++shown; }
    void ClearDatabaseList() override { ++cleared; }
    bool AskSearchWords(const std::string& proposal, std::string& words) override {
        proposals.push_back(proposal);
        words = proposal;
        return acceptWords;
    }
    // The association dialog opens here after a keyword search.
    bool RunAssociation() override { return ++pairings > 0; }
    bool ChooseSearchResult(const std::vector<SearchResult>& results,
                            std::size_t& chosen) override {
        offered.push_back({});
        for (const SearchResult& result : results) {
            offered.back().push_back(SearchResultLine(result));
        }
        chosen = offered.size() - 1;  // the first line, then the second, ...
        return !results.empty();
    }

    struct Question {
        bool notEnough;
        bool allowNewAlbum;
    };
    std::vector<std::string> status;
    std::string caption = "&Rename Files";
    bool queryEnabled = false;
    bool executeEnabled = false;
    int busyDepth = 0;
    std::vector<Question> asked;
    std::vector<int> answers;
    int shown = 0;
    int cleared = 0;
    bool acceptWords = false;
    int pairings = 0;
    std::vector<std::string> proposals;
    std::vector<std::vector<std::string>> offered;
};

// Declines the choice among several albums, or takes the first.
class FakeChooser : public DiscChooser {
public:
    bool ChooseDisc(const std::vector<DiscMatch>& offered, std::size_t& chosen) override {
        ++asked;
        chosen = 0;
        return accept && !offered.empty();
    }
    int asked = 0;
    bool accept = true;
};

std::string Hex(std::uint32_t id) {
    return test::HexId(id);
}

class LookupWorkflowTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (double seconds : {201.5, 187.25, 243.0}) {
            TrackInfo file;
            file.fileName = "file" + std::to_string(album.files.size()) + ".mp3";
            file.playTime = seconds;
            file.playSeconds = static_cast<std::uint32_t>(seconds);
            file.status = FileStatus::kRead;
            album.files.push_back(file);
        }
        DiscIdCalculator calculator;
        discId = calculator.ComputeDiscId(album.files);
        agent.SetChooser(&chooser);
        agent.SetTimeouts(2000, 5000);
    }

    // Serves a record for the album's disc id in each category given; the
    // titles carry the category so that a test can tell which one was read.
    void Serve(const std::vector<std::string>& categories, int trackCount = 3, int discLength = 680,
               std::uint32_t id = 0) {
        id = id != 0 ? id : discId;
        for (const std::string& category : categories) {
            std::vector<std::string> titles;
            for (int i = 0; i < trackCount; ++i) {
                titles.push_back(category + " song " + std::to_string(i + 1));
            }
            test::WriteRecord(records.path(), category, Hex(id),
                              test::MakeRecord(Hex(id), {150, 15262, 29306, 47531}, discLength,
                                               "Artist " + category + " / Album", titles));
        }
        std::filesystem::create_directories(records.path() + "/misc");
        server = std::make_unique<test::ServerProcess>(records.path());
        ASSERT_GT(server->Port(), 0);
        Configure("127.0.0.1:" + std::to_string(server->Port()));
    }

    // Points the workflow at a port where no server listens any more.
    void ConfigureClosedServer() {
        int closedPort = 0;
        {
            test::ServerProcess gone(records.path());
            closedPort = gone.Port();
        }
        Configure("127.0.0.1:" + std::to_string(closedPort));
    }

    void Configure(const std::string& cddbServer, const std::string& searchHost = "") {
        SettingsValues settings;
        settings.cddbServer = cddbServer;
        settings.searchHost = searchHost;
        // The CDDB server's stand-in for MusicBrainz; never the internet.
        settings.musicbrainzServer = "http://" + cddbServer;
        workflow.Configure(settings);
        workflow.InitServerCombo();
    }

    // The buttons as the query left them, with the arrow cursor back.
    void ExpectButtons(bool query, bool execute) const {
        EXPECT_EQ(view.queryEnabled, query);
        EXPECT_EQ(view.executeEnabled, execute);
        EXPECT_EQ(view.busyDepth, 0);
    }

    bool HasStatus(const std::string& start) const {
        return std::any_of(view.status.begin(), view.status.end(),
                           [&](const std::string& line) { return line.rfind(start, 0) == 0; });
    }

    AlbumFolder album;
    std::uint32_t discId = 0;
    FakeView view;
    FakeChooser chooser;
    CddbAgent agent;
    MemoryComboBox combo;
    LookupWorkflow workflow{album, agent, combo, view};
    test::TempDir records;
    std::unique_ptr<test::ServerProcess> server;
};

TEST_F(LookupWorkflowTest, QueryWithoutFilesDoesNothing) {
    Serve({"rock"});
    album.files.clear();
    EXPECT_FALSE(workflow.QueryCommand());
    EXPECT_TRUE(view.status.empty());
}

TEST_F(LookupWorkflowTest, OneMatchIsReadWithoutAskingAndReported) {
    Serve({"rock"});
    EXPECT_TRUE(workflow.QueryCommand());
    EXPECT_EQ(view.status.back(),
              "Album found in CDDB. Press \"Rename Files\" button to process the files");
    EXPECT_EQ(chooser.asked, 0);
    ASSERT_EQ(album.tracks.size(), 3u);
    EXPECT_EQ(album.tracks[1].title, "rock song 2");
    ExpectButtons(true, true);
    // With the undo action chosen, the prompt names the action that has work.
    view.caption = "&Undo Last Rename";
    EXPECT_TRUE(workflow.QueryCommand());
    EXPECT_EQ(view.status.back(),
              "Album found in CDDB. Choose the action \"Rename Files\" and "
              "press its button to process the files");
}

// Below level 6 the server sends "?" for letters beyond Latin-1: the user is
// told which setting brings them.
TEST_F(LookupWorkflowTest, LettersLostAtLevelFiveNameTheSetting) {
    test::WriteRecord(records.path(), "rock", Hex(discId),
                      test::MakeRecord(Hex(discId), {150, 15262, 29306, 47531}, 680,
                                       "Artist / Album", {"Why?", "東京 ラブ", "Three"}));
    server = std::make_unique<test::ServerProcess>(records.path());
    Configure("127.0.0.1:" + std::to_string(server->Port()));
    for (const int level : {5, 6}) {
        agent.SetProtocolLevel(level);
        view.status.clear();
        EXPECT_TRUE(workflow.QueryCommand());
        EXPECT_EQ(album.tracks.at(1).title, level == 5 ? "?? ??" : "東京 ラブ");
        EXPECT_EQ(HasStatus("The album's texts hold \"?\""), level == 5) << level;
    }
    EXPECT_TRUE(HasStatus("Album found in CDDB."));
}

// Estimated lengths: the server knows the album by the second id, which the
// lookup tries after the first and names in the line of the album.
TEST_F(LookupWorkflowTest, NeighbouringIdFindsTheAlbumOfEstimatedLengths) {
    for (TrackInfo& file : album.files) {
        file.playTime = std::floor(file.playTime);  // starts on whole seconds, ids either side
        file.lengthExact = false;
        file.shortestCdFrames = static_cast<std::int32_t>(file.playTime * 75) - 1;
        file.longestCdFrames = file.shortestCdFrames + 2;
    }
    const std::vector<DiscCandidate> ids = NeighbourDiscIds(album.files);
    ASSERT_GE(ids.size(), 3u);
    discId = ids[2].discId;
    Serve({"rock"});
    EXPECT_TRUE(workflow.QueryCommand());
    EXPECT_TRUE(HasStatus("Found \"Artist rock / Album\" by DISK ID " + Hex(discId) +
                          " (neighbouring track lengths)."));
    EXPECT_EQ(album.tracks.size(), 3u);
}

TEST_F(LookupWorkflowTest, CancelledChoiceEndsTheQuery) {
    Serve({"blues", "jazz"});
    chooser.accept = false;
    EXPECT_FALSE(workflow.QueryCommand());
    // Reported by the lookup and by the command, but shown once.
    EXPECT_EQ(std::count(view.status.begin(), view.status.end(), "Operation cancelled."), 2);
    EXPECT_TRUE(album.tracks.empty());
    ExpectButtons(true, false);
}

TEST_F(LookupWorkflowTest, UnknownDiscAsksMusicBrainzThenFallsBackToTheKeywordSearch) {
    Serve({});
    album.tracks.resize(3);  // an earlier album must not be offered again
    album.files[2].status = FileStatus::kDamaged;
    album.files[2].playTime = 0.0;
    EXPECT_FALSE(workflow.QueryCommand());
    EXPECT_EQ(view.status.at(1), DamagedDiscIdText(album.files));
    EXPECT_EQ(view.pairings, 0);
    EXPECT_TRUE(album.tracks.empty());
    // The search and the command each say it was cancelled; the window shows it once.
    // Without an AcoustID key the identification by sound says it is skipped.
    const std::vector<std::string> tail(view.status.end() - 8, view.status.end() - 1);
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "Disk not found in the CDDB database with automatic diskid detection.",
                        "MusicBrainz DISC ID = " + MusicBrainzDiscId(TocFromFiles(album.files)),
                        "Asking MusicBrainz... Please wait",
                        "Disk not found in MusicBrainz by its table of contents.",
                        "No AcoustID application key is set (Settings, Network): the files are "
                        "not identified by sound.",
                        "Entering Manual CDDB Scan process...", "Operation cancelled."}));
    ExpectButtons(true, false);
}

// A query answered with something that is not CDDB says so, not "not
// found", and the road goes on to MusicBrainz and the keyword search.
TEST_F(LookupWorkflowTest, AnUnreadableAnswerIsNamedAndTheRoadGoesOn) {
    using Script = test::ScriptedServer::Script;
    test::ScriptedServer server(
        {Script{{{test::HttpOk("210 Last modified\r\nWelcome\r\n.\r\n"), 0}}, 0},
         Script{{{test::HttpOk("<html>Bad Gateway</html>"), 0}}, 0}});
    Configure("127.0.0.1:" + std::to_string(server.Port()));
    EXPECT_FALSE(workflow.QueryCommand());
    EXPECT_TRUE(HasStatus("The CDDB server's answer could not be read: <html>Bad Gateway</html>"))
        << ::testing::PrintToString(view.status);
    EXPECT_FALSE(HasStatus("Disk not found in the CDDB database"));
    EXPECT_TRUE(HasStatus("Asking MusicBrainz"));
    EXPECT_TRUE(HasStatus("Entering Manual CDDB Scan process..."));
}

// The files' tags name an album the server files under another disc id: the
// search command and the web page both find it, and the page leaves no file.
TEST_F(LookupWorkflowTest, KeywordSearchFindsTheAlbumByTheTagsBothWays) {
    for (TrackInfo& file : album.files) {
        file.artist = "Artist rock";
        file.album = "Album";
    }
    Serve({"rock"}, 3, 680, 0x14001003);
    view.acceptWords = true;
    const std::string port = std::to_string(server->Port());
    test::TempDir temp;
    test::ScopedEnv tmpdir("TMPDIR", temp.path());
    for (const std::string& webHost : {std::string(), "127.0.0.1:" + port}) {
        SCOPED_TRACE(webHost);
        Configure("127.0.0.1:" + port, webHost);
        view.offered.clear();
        view.pairings = 0;
        album.tracks.clear();
        EXPECT_TRUE(workflow.QueryCommand()) << ::testing::PrintToString(view.status);
        EXPECT_EQ(view.pairings, 1);
        EXPECT_EQ(view.offered,
                  (std::vector<std::vector<std::string>>{{"Artist rock / Album - [14001003]"}}));
        ASSERT_EQ(album.tracks.size(), 3u);
        ExpectButtons(true, true);
        EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
    }
}

// After a search, "Select New Album" offers the same albums again without
// asking for words, and the chosen one is read.
TEST_F(LookupWorkflowTest, SelectNewAlbumReturnsToTheSameSearch) {
    for (TrackInfo& file : album.files) {
        file.artist = "Artist";
    }
    Serve({"blues", "jazz"}, 4, 680, 0x14001003);
    view.acceptWords = true;
    view.answers = {1, 2};
    EXPECT_TRUE(workflow.QueryCommand());
    EXPECT_EQ(view.proposals.size(), 1u);
    ASSERT_EQ(view.offered.size(), 2u);
    EXPECT_EQ(view.offered[0], view.offered[1]);
    ASSERT_EQ(album.tracks.size(), 4u);
    EXPECT_EQ(album.tracks[0].title, "jazz song 1");
}

// A broken or hostile web host: a page too long, a page of garbage. The
// search ends with its reason and leaves no file behind.
TEST_F(LookupWorkflowTest, HostileSearchPagesEndTheSearchCleanly) {
    test::TempDir temp;
    test::ScopedEnv tmpdir("TMPDIR", temp.path());
    KeywordSearch& search = workflow.Search();
    const auto runOn = [&](const std::string& answer) {
        test::ScriptedServer web(answer);
        search.SetWebHost("127.0.0.1:" + std::to_string(web.Port()));
        view.status.clear();
        return search.RunWithWords("some words");
    };
    EXPECT_EQ(runOn(test::HttpOk(std::string(10 * 1024 * 1024, 'x'))),
              SearchOutcome::kNotDownloaded);
    EXPECT_NE(view.status.at(0).find("longer than"), std::string::npos);
    EXPECT_EQ(runOn(test::HttpOk("all categories\n<td><a href=\"x\n\x01\xff</table>")),
              SearchOutcome::kNoAlbum);
    EXPECT_EQ(view.status,
              (std::vector<std::string>{"No disk found with these keywords. Please try again."}));
    EXPECT_EQ(runOn("HTTP/1.0 404 Not Found\r\n\r\ngone"), SearchOutcome::kNotDownloaded);
    EXPECT_EQ(view.busyDepth, 0);
    EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
}

// The read of the chosen album fails: one "Error: " before the server's answer.
TEST_F(LookupWorkflowTest, FailedReadAfterTheSearchSaysErrorOnce) {
    const std::string found = test::HttpOk("210 Found\r\nrock 0a0b0c0d Artist / Album\r\n.\r\n");
    test::ScriptedServer cddb(std::vector<test::ScriptedServer::Script>{
        {{{found}}}, {{{found}}}, {{{test::HttpOk("401 rock 0a0b0c0d No such CD entry.\r\n")}}}});
    Configure("127.0.0.1:" + std::to_string(cddb.Port()));
    EXPECT_EQ(workflow.Search().RunWithWords("some words"), SearchOutcome::kReadFailed);
    EXPECT_TRUE(view.status.back().starts_with("Error: 10043, Response:")) << view.status.back();
}

TEST_F(LookupWorkflowTest, SearchCommandFieldsFollowTheWordsTheUserKept) {
    TrackList files(2);
    files[1].artist = "Some Band";
    files[1].album = "Live";
    EXPECT_EQ(SearchCommandFields("SOME BAND LIVE", "SOME BAND LIVE", files),
              (std::vector<SearchFields>{{"SOME BAND", "LIVE"}}));
    EXPECT_EQ(SearchCommandFields("Other Band / Live at Home", "SOME BAND LIVE", files),
              (std::vector<SearchFields>{{"OTHER BAND", "LIVE AT HOME"}}));
    EXPECT_EQ(SearchCommandFields("harbour nights", "", {}),
              (std::vector<SearchFields>{{"HARBOUR NIGHTS", ""}, {"", "HARBOUR NIGHTS"}}));
}

TEST_F(LookupWorkflowTest, NoConnectionIsReportedOnceThenTheQueryIsTried) {
    ConfigureClosedServer();
    album.tracks.resize(3);  // an earlier album must not be kept
    EXPECT_FALSE(workflow.QueryCommand());
    EXPECT_TRUE(album.tracks.empty());
    EXPECT_TRUE(HasStatus("Cannot connect to CDDB server. Please check connection settings."));
    EXPECT_EQ(view.busyDepth, 0);

    // The connection test runs on the first lookup of a run only.
    view.status.clear();
    EXPECT_FALSE(workflow.QueryCommand());
    EXPECT_FALSE(HasStatus("Cannot connect to CDDB server. Please check connection settings."));
    // The server that cannot be reached is named, with the reason, before "not found".
    const auto notFound =
        std::find(view.status.begin(), view.status.end(),
                  "Disk not found in the CDDB database with automatic diskid detection.");
    ASSERT_NE(notFound, view.status.begin());
    ASSERT_NE(notFound, view.status.end());
    EXPECT_TRUE(notFound[-1].ends_with(": connection refused (error 10061)."));
    EXPECT_EQ(workflow.LookupCount(), 2);
}

TEST_F(LookupWorkflowTest, FailedReadReportsTheServerAnswer) {
    test::WriteRecord(records.path(), "rock", Hex(discId), "# xmcd\nnot a record\n");
    server = std::make_unique<test::ServerProcess>(records.path());
    Configure("127.0.0.1:" + std::to_string(server->Port()));
    album.tracks.resize(3);  // an earlier album must not be kept
    EXPECT_FALSE(workflow.QueryCommand());
    EXPECT_TRUE(album.tracks.empty());
    EXPECT_TRUE(HasStatus("Read from CDDB failed. Error: 10043, Response:"));
    ExpectButtons(true, false);
}

TEST_F(LookupWorkflowTest, ARecordWithoutDiscLengthGivesNoTracks) {
    Serve({"rock"}, 3, 0);
    EXPECT_FALSE(workflow.QueryCommand());
    EXPECT_EQ(view.shown, 1);  // the record itself was read
    EXPECT_TRUE(album.tracks.empty());
    EXPECT_FALSE(view.executeEnabled);
}

// A disc id lookup offers no other album; keeping it leaves the album for processing.
TEST_F(LookupWorkflowTest, TrackCountMismatchAsksAndHonoursTheAnswer) {
    Serve({"rock"}, 4);
    view.answers = {2};
    EXPECT_TRUE(workflow.QueryCommand());
    ASSERT_EQ(view.asked.size(), 1u);
    EXPECT_FALSE(view.asked[0].allowNewAlbum);
    EXPECT_TRUE(view.executeEnabled);
}

TEST_F(LookupWorkflowTest, CheckTrackCountRules) {
    EXPECT_EQ(workflow.CheckTrackCount(false), TrackCountAnswer::kListEmpty);
    album.tracks.resize(3);
    EXPECT_EQ(workflow.CheckTrackCount(false), TrackCountAnswer::kCountsEqual);
    EXPECT_TRUE(view.asked.empty());

    album.tracks.resize(2);
    view.answers = {2, 1, 7};
    EXPECT_EQ(workflow.CheckTrackCount(true), TrackCountAnswer::kKeepAlbum);
    EXPECT_FALSE(view.asked.back().notEnough);
    EXPECT_EQ(album.tracks.size(), 2u);
    EXPECT_EQ(workflow.CheckTrackCount(true), TrackCountAnswer::kSelectNewAlbum);
    EXPECT_TRUE(album.tracks.empty());
    EXPECT_EQ(view.cleared, 1);
    // An answer the prompt does not know keeps nothing.
    album.tracks.resize(2);
    EXPECT_EQ(workflow.CheckTrackCount(true), TrackCountAnswer::kCancelQuery);
    EXPECT_TRUE(album.tracks.empty());
}

TEST_F(LookupWorkflowTest, ServerComboStartsWithTheDefaultAndMore) {
    const auto selected = [&] {
        SelectServer(agent, combo, workflow.DefaultServer());
        return agent.CurrentSite().host + ":" + std::to_string(agent.CurrentSite().port);
    };
    Configure("cddb.example.org:8880");
    EXPECT_EQ(combo.Items(), (std::vector<std::string>{"cddb.example.org:8880", " More..."}));
    EXPECT_EQ(selected(), "cddb.example.org:8880");
    // Only the default entry uses the configured port.
    combo.AddSorted("other.example.org:8880");
    combo.SelectPrefix("other");
    EXPECT_EQ(selected(), "other.example.org:80");

    Configure("not a server");
    EXPECT_EQ(combo.Items()[0], "gnudb.gnudb.org:80");
}

// A failed fetch keeps the combo (see the agent's tests).
TEST_F(LookupWorkflowTest, MoreFetchesTheSiteListAndReselectsTheDefault) {
    Serve({"rock"});
    combo.Select(1);
    workflow.OnServerChanged();
    // " More..." stays, to fetch the list again.
    EXPECT_EQ(combo.Items(), (std::vector<std::string>{
                                 "127.0.0.1:" + std::to_string(server->Port()), " More..."}));
    EXPECT_EQ(combo.Selected(), 0);
    EXPECT_EQ(view.status, std::vector<std::string>{"The server list now holds 1 server."});
}

// A level-5 answer that lost letters outside Latin-1 is told apart from a title with a "?".
TEST(LookupTexts, ReplacedTextIsFound) {
    DiscRecord record;
    record.trackTitles = {"Why?", "Que ?"};
    EXPECT_FALSE(HoldsReplacedText(record));
    record.album = "a ?? b";
    EXPECT_TRUE(HoldsReplacedText(record));
}

}  // namespace
}  // namespace corvane
