// The disc id request against an in-process server: the request line and
// headers, the answers and failures, the rate limit on a clock that only
// pretends to sleep.
#include "musicbrainz/MusicBrainzClient.h"

#include <gtest/gtest.h>

#include <vector>

#include "cddb/ScriptedServer.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;

class FakeClock : public RequestClock {
public:
    TimePoint Now() override { return now_; }
    void SleepUntil(TimePoint when) override {
        sleeps.push_back(when - now_);
        now_ = when;
    }
    void Advance(std::chrono::milliseconds by) { now_ += by; }

    std::vector<std::chrono::steady_clock::duration> sleeps;

private:
    TimePoint now_{};
};

const DiscToc kToc{1, 3, 33900, {150, 15150, 26400}};
constexpr const char* kDiscId = "Abc.Def_ghi-";

std::string Answer(const std::string& status, const std::string& body) {
    return "HTTP/1.0 " + status + "\r\nContent-Type: application/json\r\n\r\n" + body;
}

test::ScriptedServer::Script Sends(const std::string& answer) {
    return {{{answer, 0}}, 0};
}

const std::string kRelease =
    R"({"id":"Abc.Def_ghi-","releases":[{"id":"r-1","title":"T","media":[]}]})";
const std::string kRateLimited = R"({"error":"Your requests are exceeding the rate limit."})";

class ClientTest : public ::testing::Test {
protected:
    MusicBrainzClient ClientFor(const test::ScriptedServer& server, const std::string& contact) {
        MusicBrainzClient client(clock_);
        // A trailing slash must not double the one of the path.
        client.Configure("http://127.0.0.1:" + std::to_string(server.Port()) + "/", contact, {});
        return client;
    }
    FakeClock clock_;
};

TEST_F(ClientTest, SendsTheLookupWithItsHeadersAndTriesAgainASecondAfterA503) {
    test::ScriptedServer server({Sends(Answer("503 Service Unavailable", kRateLimited)),
                                 Sends(Answer("200 OK", kRelease))});
    MusicBrainzClient client = ClientFor(server, "ann@example.org");
    const MbLookup lookup = client.Lookup(kToc, kDiscId);
    ASSERT_EQ(lookup.status, MbLookupStatus::kFound) << lookup.errorText;
    EXPECT_EQ(lookup.answer.releases.at(0).id, "r-1");
    EXPECT_EQ(clock_.sleeps, (std::vector<std::chrono::steady_clock::duration>{1s}));

    ASSERT_EQ(server.Requests().size(), 2u);
    const std::string request = server.Requests().back();  // the same as the first
    EXPECT_EQ(request.rfind("GET /ws/2/discid/Abc.Def_ghi-?toc=1+3+33900+150+15150+26400"
                            "&inc=artist-credits+recordings+release-groups+genres"
                            "&cdstubs=no&fmt=json HTTP/1.1\r\n",
                            0),
              0u)
        << request;
    EXPECT_NE(
        request.find("\r\nUser-Agent: CorvaneMP3/" CORVANE_VERSION " ( ann@example.org )\r\n"),
        std::string::npos)
        << request;
    EXPECT_NE(request.find("\r\nAccept: application/json\r\n"), std::string::npos) << request;
}

struct FailureCase {
    const char* name;
    std::vector<std::string> answers;  // one per connection
    MbLookupStatus status;
    std::string errorText;
};

const FailureCase kFailures[] = {
    {"RateLimitedTwice",
     {Answer("503 Service Unavailable", kRateLimited),
      Answer("503 Service Unavailable", kRateLimited)},
     MbLookupStatus::kFailed,
     "HTTP 503: Your requests are exceeding the rate limit."},
    {"UnknownDisc",
     {Answer("404 Not Found", R"({"error":"Not Found"})")},
     MbLookupStatus::kNotFound,
     ""},
    {"NoReleases", {Answer("200 OK", R"({"releases":[]})")}, MbLookupStatus::kNotFound, ""},
    {"BadRequest",
     {Answer("400 Bad Request", R"({"error":"Invalid discid."})")},
     MbLookupStatus::kFailed,
     "HTTP 400: Invalid discid."},
    {"NotAMusicBrainzServer",
     {Answer("404 Not Found", "<html>No such page</html>\nmore")},
     MbLookupStatus::kFailed,
     "HTTP 404: <html>No such page</html>"},
    {"Garbage",
     {Answer("200 OK", "{\"releases\":[")},
     MbLookupStatus::kFailed,
     "HTTP 200: the answer is not a JSON object"},
    {"ClosedWithoutAnswer", {""}, MbLookupStatus::kFailed, ""},
};

class FailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailureTest, IsReportedWithTheStatusAndTheServersText) {
    const FailureCase& c = GetParam();
    std::vector<test::ScriptedServer::Script> scripts;
    for (const std::string& answer : c.answers) {
        scripts.push_back(Sends(answer));
    }
    test::ScriptedServer server(scripts);
    FakeClock clock;
    MusicBrainzClient client(clock);
    client.Configure("http://127.0.0.1:" + std::to_string(server.Port()), "", {});
    const MbLookup lookup = client.Lookup(kToc, kDiscId);
    EXPECT_EQ(lookup.status, c.status);
    if (c.errorText.empty() && c.status == MbLookupStatus::kFailed) {
        EXPECT_EQ(lookup.errorText.rfind("no answer: ", 0), 0u) << lookup.errorText;
    } else {
        EXPECT_EQ(lookup.errorText, c.errorText);
    }
    EXPECT_EQ(server.Connections(), static_cast<int>(c.answers.size()));
}

INSTANTIATE_TEST_SUITE_P(MusicBrainz, FailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClientTest, WaitsASecondAfterTheLastAnswerAndNamesTheProgramWithoutAnAddress) {
    test::ScriptedServer server(Answer("200 OK", kRelease));
    MusicBrainzClient client = ClientFor(server, "");
    ASSERT_EQ(client.Lookup(kToc, kDiscId).status, MbLookupStatus::kFound);
    clock_.Advance(300ms);
    ASSERT_EQ(client.Lookup(kToc, kDiscId).status, MbLookupStatus::kFound);
    clock_.Advance(1500ms);
    ASSERT_EQ(client.Lookup(kToc, kDiscId).status, MbLookupStatus::kFound);
    // Only the second came too soon, by 700 ms.
    EXPECT_EQ(clock_.sleeps, (std::vector<std::chrono::steady_clock::duration>{700ms}));
    EXPECT_NE(server.Requests().at(0).find(
                  std::string("\r\nUser-Agent: CorvaneMP3/" CORVANE_VERSION " ( ") +
                  kDefaultMusicBrainzContact + " )\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace corvane
