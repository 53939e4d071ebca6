// The AcoustID answer, hostile ones included; the request and its rate
// limit against an in-process server; the album chosen from the recordings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acoustid/AcoustIdClient.h"
#include "acoustid/AcoustIdParser.h"
#include "acoustid/AlbumChoice.h"
#include "cddb/ScriptedServer.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;

const std::string kAnswer = R"({"status":"ok","results":[
  {"id":"t-1","score":0.97,"recordings":[
    {"id":"rec-1","title":"Song","duration":241,
     "artists":[{"name":"A","joinphrase":" & "},{"name":"B"}],
     "releasegroups":[{"id":"g-1","title":"Album","releases":[
       {"id":"rel-1","track_count":12,"medium_count":1,"date":{"year":1999,"month":5},
        "mediums":[{"position":1,"track_count":12,"tracks":[{"position":3}]}]}]}]},
    {"id":"rec-bare"}]},
  {"id":"t-2","score":0.4,"recordings":[]}]})";

TEST(AcoustIdAnswer, ReadsResultsRecordingsReleasesAndPositions) {
    AidAnswer answer;
    std::string error;
    ASSERT_EQ(ParseAcoustIdAnswer(kAnswer, answer, error), AidParseResult::kResults) << error;
    ASSERT_EQ(answer.results.size(), 2u);
    const AidRecording& song = answer.results[0].recordings.at(0);
    EXPECT_EQ(answer.results[0].score, 0.97);
    EXPECT_EQ(song.artist, "A & B");
    EXPECT_EQ(song.seconds, 241);
    const AidRelease expected{"rel-1", "g-1", "Album", 12, 1, 19990500, {{1, 3, 12}}};
    EXPECT_EQ(song.releases, std::vector<AidRelease>{expected});
    // A recording without metadata is kept by its id.
    EXPECT_EQ(answer.results[0].recordings.at(1).id, "rec-bare");
}

struct HostileCase {
    const char* name;
    std::string text;
    AidParseResult result;
};

TEST(AcoustIdAnswer, HostileAnswersAreRefusedOrReadAsMissing) {
    const std::string deep(100000, '[');
    const HostileCase cases[] = {
        {"error", R"({"status":"error","error":{"code":4,"message":"invalid API key"}})",
         AidParseResult::kError},
        {"huge", R"({"status":"ok","results":[)" + std::string(5 << 20, ' ') + "]}",
         AidParseResult::kGarbage},
        {"truncated", kAnswer.substr(0, kAnswer.size() / 2), AidParseResult::kGarbage},
        {"deep", deep, AidParseResult::kGarbage},
        {"no list", R"({"status":"ok","results":{"a":1}})", AidParseResult::kGarbage},
        {"wrong types",
         R"({"status":"ok","results":[7,{"score":"high","recordings":{"id":1}},
            {"score":1e308,"recordings":[{"id":5},{"id":"r","duration":-3,"artists":"x",
             "releasegroups":[{"releases":[{"id":"x","date":"1999","track_count":1e99,
             "mediums":[{"tracks":7}]}]}]}]}]})",
         AidParseResult::kResults},
    };
    for (const HostileCase& c : cases) {
        AidAnswer answer;
        std::string error;
        EXPECT_EQ(ParseAcoustIdAnswer(c.text, answer, error), c.result) << c.name;
        EXPECT_EQ(error.empty(), c.result == AidParseResult::kResults) << c.name;
    }
    AidAnswer answer;
    std::string error;
    ParseAcoustIdAnswer(cases[5].text, answer, error);
    ASSERT_EQ(answer.results.size(), 2u);
    EXPECT_EQ(answer.results[1].score, 0.0);
    const AidRecording& odd = answer.results[1].recordings.at(0);
    EXPECT_EQ(odd.seconds, 0);
    EXPECT_EQ(odd.releases.at(0), (AidRelease{"x", "", "", 0, 0, 0, {}}));
}

class FakeClock : public RequestClock {
public:
    TimePoint Now() override { return now_; }
    void SleepUntil(TimePoint when) override {
        sleeps.push_back(when - now_);
        now_ = when;
    }
    std::vector<std::chrono::steady_clock::duration> sleeps;

private:
    TimePoint now_{};
};

TEST(AcoustIdClient, PostsTheLookupThreeASecondAndShowsTheServicesError) {
    const std::string error =
        R"({"status":"error","error":{"code":4,"message":"invalid API key"}})";
    test::ScriptedServer server(
        {{{{test::HttpOk(kAnswer), 0}}, 0},
         {{{"HTTP/1.0 400 Bad Request\r\nContent-Type: application/json\r\n\r\n" + error, 0}}, 0}});
    FakeClock clock;
    AcoustIdClient client(clock);
    client.Configure("http://127.0.0.1:" + std::to_string(server.Port()) + "/", "k y&", {});
    EXPECT_EQ(client.RequestBody("AQAB-_x", 241),
              "client=k+y%26&duration=241&fingerprint=AQAB-_x"
              "&meta=recordings+releases+releasegroups+tracks+compress&format=json");
    const AidLookup found = client.Lookup("AQAB", 241);
    EXPECT_EQ(found.status, AidLookupStatus::kFound) << found.errorText;
    const AidLookup refused = client.Lookup("AQAB", 241);
    EXPECT_EQ(refused.status, AidLookupStatus::kFailed);
    EXPECT_EQ(refused.errorText, "invalid API key");
    EXPECT_EQ(clock.sleeps, (std::vector<std::chrono::steady_clock::duration>{334ms}));
    for (const std::string& request : server.Requests()) {
        EXPECT_EQ(request.rfind("POST /v2/lookup HTTP/1.1\r\n", 0), 0u) << request;
        EXPECT_NE(request.find("Content-Type: application/x-www-form-urlencoded"),
                  std::string::npos);
    }
}

// One file's answer naming a recording on the given releases.
AidAnswer Names(const std::string& recording, std::vector<AidRelease> releases,
                double score = 0.9) {
    return {{{"t", score, {{recording, "", "", 0, std::move(releases)}}}}};
}

AidRelease On(const std::string& id, const std::string& group, int tracks, int date, int track) {
    return {id, group, id, tracks, 1, date, {{1, track, tracks}}};
}

TEST(AlbumChoice, TheReleaseHoldingMostFilesThenTheFittingCountThenTheEarliest) {
    // Ten files: seven of album A (a later edition A2 too), three of album B;
    // file 9 also sits on a best-of C that holds no other.
    std::vector<AidAnswer> answers;
    for (int t = 1; t <= 7; ++t) {
        answers.push_back(Names("a" + std::to_string(t),
                                {On("A2", "gA", 10, 20050101, t), On("A", "gA", 10, 19990000, t)}));
    }
    for (int t = 1; t <= 3; ++t) {
        answers.push_back(Names("b" + std::to_string(t), {On("B", "gB", 3, 19980000, t)}));
    }
    answers[9].results[0].recordings[0].releases.push_back(On("C", "gC", 20, 0, 5));
    // A result under the score limit names nothing.
    answers.push_back(Names("x", {On("B", "gB", 3, 19980000, 4)}, 0.3));
    // No 60% for B; A before its later edition A2.
    std::vector<ReleaseChoice> choices = ChooseReleases(answers);
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].releaseId, "A");
    EXPECT_EQ(choices[0].filesHeld, 7);
    EXPECT_EQ(choices[0].medium, 1);
    EXPECT_EQ(TiedChoices(choices), 1u);

    // Two albums that each hold every file: the one of fitting track count
    // first; of the same weight they are tied and go to the user.
    answers = {Names("s", {On("D", "gD", 2, 19900000, 1), On("E", "gE", 9, 19800000, 4)}),
               Names("t", {On("D", "gD", 2, 19900000, 2), On("E", "gE", 9, 19800000, 5)})};
    choices = ChooseReleases(answers);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0].releaseId, "D");
    EXPECT_EQ(TiedChoices(choices), 1u);
    answers = {Names("s", {On("D", "gD", 9, 19900000, 1), On("E", "gE", 9, 19800000, 4)}),
               Names("t", {On("D", "gD", 9, 19900000, 2), On("E", "gE", 9, 19800000, 5)})};
    EXPECT_EQ(TiedChoices(ChooseReleases(answers)), 2u);
}

TEST(AlbumChoice, FilesPairWithTheTrackOfTheirRecordingElseOfTheirPosition) {
    MbMedium medium;
    medium.position = 1;
    for (int t = 1; t <= 3; ++t) {
        medium.tracks.push_back({t, "T", "", 0, "r" + std::to_string(t)});
    }
    const std::vector<AidAnswer> answers = {
        Names("r3", {}), Names("merged", {On("rel", "g", 3, 0, 1)}), {}, Names("r3", {})};
    // The last file names a track already taken: it is left to the matching.
    EXPECT_EQ(PairByRecording(answers, "rel", medium), (std::vector<int>{2, 0, -1, -1}));
}

}  // namespace
}  // namespace corvane
