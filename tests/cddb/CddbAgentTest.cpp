#include <gtest/gtest.h>

#include "cddb/AnswerText.h"
#include "cddb/CddbAgent.h"
#include "cddb/ScriptedServer.h"
#include "cddb/ServerProcess.h"
#include "platform/MemoryComboBox.h"

namespace corvane {
namespace {

using test::HttpOk;
using test::ScriptedServer;
using Script = ScriptedServer::Script;
using Step = ScriptedServer::Step;

class FakeChooser : public DiscChooser {
public:
    bool answer = true;
    std::size_t pick = 0;
    std::vector<DiscMatch> shown;
    bool ChooseDisc(const std::vector<DiscMatch>& matches, std::size_t& chosen) override {
        shown = matches;
        chosen = pick;
        return answer;
    }
};

class FakeNotifier : public ErrorNotifier {
public:
    std::vector<std::string> shown;
    void ShowError(const std::string& text) override { shown.push_back(text); }
};

const OffsetList kOffsets{{0, 2, 0}, {4, 40, 52}, {10, 2, 0}};

std::string ReadAnswer(const std::string& category, const std::string& id) {
    std::string body;
    for (char c : test::MakeRecord(id, {150, 21052}, 600, "Artist / Album", {"One", "Two"})) {
        body += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return HttpOk("210 " + category + " " + id + " CD database entry follows\r\n" + body + ".\r\n");
}

Script Once(const std::string& answer) {
    return Script{{Step{answer, 0}}, 0};
}

TEST(CddbAgent, SeveralMatchesAskAndReadTheChosenOne) {
    ScriptedServer server({Once(HttpOk("211 close matches\r\n"
                                       "rock 11111111 A / One\r\n"
                                       "jazz 22222222 B / Two\r\n"
                                       "misc 33333333 C / Three\r\n.\r\n")),
                           Once(ReadAnswer("jazz", "22222222"))});
    FakeChooser chooser;
    chooser.pick = 1;
    CddbAgent agent(&chooser);
    agent.SetSite("127.0.0.1", server.Port());
    ASSERT_EQ(agent.Lookup(0x11111111, kOffsets), CddbAgent::LookupResult::kRecordRead);
    EXPECT_EQ(chooser.shown.size(), 3u);
    EXPECT_NE(server.Requests().at(1).find("cmd=cddb+read+jazz+22222222&"), std::string::npos);
}

TEST(CddbAgent, CancelledChoiceAndFailures) {
    ScriptedServer list(HttpOk("211 close\r\nrock 1 A / B\r\njazz 2 C / D\r\n.\r\n"));
    FakeChooser chooser;
    chooser.answer = false;
    CddbAgent agent(&chooser);
    agent.SetSite("127.0.0.1", list.Port());
    EXPECT_EQ(agent.Lookup(1, kOffsets), CddbAgent::LookupResult::kChoiceCancelled);
    EXPECT_EQ(list.Requests().size(), 1u);  // nothing read after the cancel

    ScriptedServer none(HttpOk("202 No match\r\n"));
    agent.SetSite("127.0.0.1", none.Port());
    EXPECT_EQ(agent.Lookup(1, kOffsets), CddbAgent::LookupResult::kNotFound);
    EXPECT_EQ(agent.ErrorText(), "Error: 0, Response:202 No match");

    ScriptedServer badRead({Once(HttpOk("200 rock 00000001 A / B\r\n")),
                            Once(HttpOk("401 rock 00000001 No such CD entry.\r\n"))});
    agent.SetSite("127.0.0.1", badRead.Port());
    EXPECT_EQ(agent.Lookup(1, kOffsets), CddbAgent::LookupResult::kReadFailed);
    EXPECT_EQ(agent.ErrorText(), "Error: 10043, Response:401 rock 00000001 No such CD entry.");
}

// The search asks with both fields and waits for no terminator after a 202; an
// answer that refuses the e-mail address says what to do about it.
TEST(CddbAgent, SearchAndTheEmailAdvice) {
    ScriptedServer server({Once(HttpOk("202 No match found.\r\n")),
                           Once(HttpOk("200 Found 1 matches\r\njazz 14001003 A / B\r\n.\r\n")),
                           Once(HttpOk("500 Unknown developer email\r\n"))});
    CddbAgent agent;
    agent.SetSite("127.0.0.1", server.Port());
    std::vector<DiscMatch> matches;
    EXPECT_TRUE(agent.SearchAlbums("LUMEN QUARTET", "", matches));
    EXPECT_TRUE(matches.empty());
    EXPECT_NE(server.Requests()[0].find("?cmd=search&artist=LUMEN+QUARTET&album=&hello="),
              std::string::npos)
        << server.Requests()[0];
    EXPECT_TRUE(agent.SearchAlbums("", "B", matches));
    EXPECT_EQ(matches, (std::vector<DiscMatch>{{"jazz", 0x14001003, "A", "B"}}));
    EXPECT_EQ(agent.EmailAdvice(), "");
    EXPECT_FALSE(agent.SearchAlbums("A", "B", matches));
    EXPECT_NE(agent.EmailAdvice().find("register one at gnudb.org"), std::string::npos);
}

// A candidate whose answer cannot be read (no CDDB, more than the limit)
// does not end the lookup: the next id, which the server knows, is asked.
TEST(CddbAgent, AnUnreadableAnswerGoesOnWithTheNextCandidate) {
    ScriptedServer server({Once(HttpOk("<html>Bad Gateway</html>\r\n")),
                           Once(HttpOk("211 many\r\n" + std::string(2 << 20, 'x'))),
                           Once(HttpOk("200 rock 00000003 Artist / Album\r\n")),
                           Once(ReadAnswer("rock", "00000003"))});
    CddbAgent agent;
    agent.SetSite("127.0.0.1", server.Port());
    const std::vector<DiscCandidate> candidates = {{1, kOffsets, DiscIdSource::kTag, "TXXX"},
                                                   {2, kOffsets, DiscIdSource::kTag, "TXXX"},
                                                   {3, kOffsets, DiscIdSource::kEstimate, ""}};
    std::size_t found = 0;
    ASSERT_EQ(agent.LookupCandidates(candidates, 8, found), CddbAgent::LookupResult::kRecordRead);
    EXPECT_EQ(found, 2u);
    EXPECT_EQ(agent.Record().album, "Album");
    // None of them known: not "not found" but what was received.
    ScriptedServer broken(HttpOk("garbage\r\n"));
    agent.SetSite("127.0.0.1", broken.Port());
    EXPECT_EQ(agent.LookupCandidates(candidates, 8, found), CddbAgent::LookupResult::kNotFound);
    EXPECT_EQ(broken.Connections(), 3);
    EXPECT_EQ(agent.UnreadableAnswer(), std::optional<std::string>("garbage"));
}

// A failed read is shown; an empty message of the day is no message. The answer shows as one
// line: the HTTP headers left out, line ends turned into " | ".
TEST(CddbAgent, FailuresAreShownInOneLine) {
    ScriptedServer server({Once(HttpOk("401 rock 00000001 No such CD entry.\r\n")),
                           Once(HttpOk("210 Last modified\r\n.\r\n"))});
    FakeNotifier notifier;
    CddbAgent agent(nullptr, &notifier);
    agent.SetSite("127.0.0.1", server.Port());
    EXPECT_FALSE(agent.ReadRecord(1, "rock"));
    EXPECT_EQ(notifier.shown, std::vector<std::string>{agent.ErrorText()});
    EXPECT_NE(agent.ErrorText().find("401 rock"), std::string::npos);
    std::string text;
    EXPECT_FALSE(agent.GetMotd(text));
    EXPECT_EQ(agent.MotdText(), "");
    EXPECT_EQ(OneLineAnswer("HTTP/1.0 500 Oops\r\nA: b\r\n\r\n"), "HTTP/1.0 500 Oops");
    EXPECT_EQ(OneLineAnswer("210 Ok\r\nline\r\n\r\n.\r\n"), "210 Ok | line | .");
    EXPECT_EQ(OneLineAnswer(std::string(10, 'x') + "\xc3\xa9", 11), std::string(10, 'x') + "...");
}

TEST(CddbAgent, FillSiteComboSortsEntriesOrKeepsTheComboOnFailure) {
    ScriptedServer server(
        HttpOk("210 OK, site information follows\r\n"
               "zeta.example http 80 /~cddb/cddb.cgi N000.00 W000.00 Z\r\n"
               "alpha.example http 8080 /~cddb/cddb.cgi N000.00 W000.00 A\r\n.\r\n"));
    ScriptedServer bad(HttpOk("401 No site information available.\r\n"));
    CddbAgent agent;
    MemoryComboBox combo;
    combo.InsertLast(" More...");
    agent.SetDefaultServer("127.0.0.1", bad.Port());
    EXPECT_FALSE(agent.FillSiteCombo(combo));
    EXPECT_EQ(agent.ErrorText(), "Cannot retrieve list of CDDB sites (error 10043)");
    EXPECT_EQ(combo.Items(), std::vector<std::string>{" More..."});
    agent.SetDefaultServer("127.0.0.1", server.Port());
    ASSERT_TRUE(agent.FillSiteCombo(combo));
    EXPECT_EQ(combo.Items(), (std::vector<std::string>{"alpha.example:8080", "zeta.example:80"}));
}

TEST(TrackLengths, FromOffsetsAndDiscLength) {
    const struct {
        std::vector<int32_t> offsets;
        int32_t length;
        size_t titles;
        std::vector<std::uint32_t> seconds;
    } cases[] = {
        // The first track counts from zero, not from its offset.
        {{150, 21052, 40000}, 700, 3, {280, 253, 167}},
        // Missing offsets share the rest evenly.
        {{150, 21052}, 700, 4, {280, 140, 140, 140}},
        {{150}, 100, 3, {33, 33, 34}},
        // Backward offsets never go negative.
        {{150, 30000, 7500}, 500, 3, {400, 0, 100}},
    };
    for (const auto& c : cases) {
        DiscRecord record;
        record.frameOffsets = c.offsets;
        record.discLength = c.length;
        record.trackTitles.resize(c.titles);
        EXPECT_EQ(TrackLengths(record), c.seconds);
    }
}

// The first track counts from zero; an earlier list is replaced; without a
// disc length there is no list.
TEST(BuildTrackList, FillsTheDatabaseTracks) {
    ScriptedServer server(ReadAnswer("rock", "0102a002"));
    CddbAgent agent;
    TrackList tracks(5);
    EXPECT_FALSE(agent.BuildTrackList(tracks));
    EXPECT_TRUE(tracks.empty());
    agent.SetSite("127.0.0.1", server.Port());
    ASSERT_TRUE(agent.ReadRecord(0x0102a002, "rock"));
    tracks.resize(5);
    ASSERT_TRUE(agent.BuildTrackList(tracks));
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[1],
              (TrackInfo{"2", "", "Artist", "Album", "Two", "2001", "Test", "", "2", 320, 320.0}));
    EXPECT_EQ(tracks[0].playSeconds, 280u);
}

}  // namespace
}  // namespace corvane
