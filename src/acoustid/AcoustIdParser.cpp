#include "acoustid/AcoustIdParser.h"

#include <climits>
#include <nlohmann/json.hpp>

#include "platform/JsonAnswer.h"

namespace corvane {

namespace {

using nlohmann::json;

// More than this many releases over all results is no answer to one
// fingerprint; it would only cost memory.
constexpr std::size_t kMaxReleases = 20000;

// "A feat. B": each name with the join phrase before the next, ", " when
// the answer gives none.
std::string JoinedArtists(const json& object) {
    std::string text;
    std::string separator;
    for (const json& artist : JsonElements(object, "artists")) {
        const std::string name = JsonText(artist, "name");
        if (!name.empty()) {
            text += separator + name;
            separator = JsonText(artist, "joinphrase");
            separator = separator.empty() ? ", " : separator;
        }
    }
    return text;
}

int DateKey(const json& release) {
    const json* date = JsonMember(release, "date");
    if (date == nullptr) {
        return 0;
    }
    const int year = JsonCount(*date, "year");
    const int month = JsonCount(*date, "month");
    const int day = JsonCount(*date, "day");
    return year > 0 && year < 10000 && month < 13 && day < 32 ? year * 10000 + month * 100 + day
                                                              : 0;
}

AidRelease ReadRelease(const json& release, const json& group) {
    AidRelease out;
    out.id = JsonText(release, "id");
    out.groupId = JsonText(group, "id");
    out.title = JsonText(release, "title");
    if (out.title.empty()) {
        out.title = JsonText(group, "title");  // the compressed answer names it once
    }
    out.trackCount = JsonCount(release, "track_count");
    out.mediumCount = JsonCount(release, "medium_count");
    out.date = DateKey(release);
    for (const json& medium : JsonElements(release, "mediums")) {
        for (const json& track : JsonElements(medium, "tracks")) {
            out.places.push_back({JsonCount(medium, "position"), JsonCount(track, "position"),
                                  JsonCount(medium, "track_count")});
        }
    }
    return out;
}

AidRecording ReadRecording(const json& recording, std::size_t& releases) {
    AidRecording out;
    out.id = JsonText(recording, "id");
    out.title = JsonText(recording, "title");
    out.artist = JoinedArtists(recording);
    out.seconds = JsonCount(recording, "duration");
    for (const json& group : JsonElements(recording, "releasegroups")) {
        for (const json& release : JsonElements(group, "releases")) {
            if (release.is_object() && ++releases <= kMaxReleases) {
                out.releases.push_back(ReadRelease(release, group));
            }
        }
    }
    return out;
}

AidResult ReadResult(const json& result, std::size_t& releases) {
    AidResult out;
    out.id = JsonText(result, "id");
    const json* score = JsonMember(result, "score");
    if (score != nullptr && score->is_number()) {
        const double value = score->get<double>();
        out.score = value >= 0.0 && value <= 1.0 ? value : 0.0;
    }
    for (const json& recording : JsonElements(result, "recordings")) {
        if (AidRecording read = ReadRecording(recording, releases); !read.id.empty()) {
            out.recordings.push_back(std::move(read));
        }
    }
    return out;
}

}  // namespace

AidParseResult ParseAcoustIdAnswer(std::string_view text, AidAnswer& answer, std::string& error) {
    answer = AidAnswer{};
    error.clear();
    const json root = ParseAnswerObject(text, kMaxAcoustIdAnswerBytes, error);
    if (root.is_null()) {
        return AidParseResult::kGarbage;
    }
    const std::string status = JsonText(root, "status");
    if (status == "error") {
        const json* problem = JsonMember(root, "error");
        error = problem != nullptr ? JsonText(*problem, "message") : std::string();
        if (error.empty()) {
            error = "unknown error";
        }
        return AidParseResult::kError;
    }
    const json* results = JsonMember(root, "results");
    if (status != "ok" || results == nullptr || !results->is_array()) {
        error = "the answer holds no result list";
        return AidParseResult::kGarbage;
    }
    std::size_t releases = 0;
    for (const json& result : *results) {
        if (result.is_object()) {
            answer.results.push_back(ReadResult(result, releases));
        }
    }
    if (releases > kMaxReleases) {
        answer = AidAnswer{};
        error = "the answer names more than " + std::to_string(kMaxReleases) + " releases";
        return AidParseResult::kGarbage;
    }
    return AidParseResult::kResults;
}

}  // namespace corvane
