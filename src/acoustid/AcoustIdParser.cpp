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

const json* Member(const json& object, const char* key) {
    if (!object.is_object()) {
        return nullptr;
    }
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

std::string Text(const json& object, const char* key) {
    const json* value = Member(object, key);
    return value != nullptr && value->is_string() ? value->get<std::string>() : std::string();
}

// A whole number from 0 to INT_MAX; anything else counts as unknown, 0.
int Count(const json& object, const char* key) {
    const json* value = Member(object, key);
    if (value == nullptr || !value->is_number()) {
        return 0;
    }
    const double number = value->get<double>();
    return number > 0 && number <= INT_MAX ? static_cast<int>(number) : 0;
}

const json& Elements(const json& object, const char* key) {
    static const json kNone = json::array();
    const json* value = Member(object, key);
    return value != nullptr && value->is_array() ? *value : kNone;
}

// "A feat. B": each name with the join phrase before the next, ", " when
// the answer gives none.
std::string JoinedArtists(const json& object) {
    std::string text;
    std::string separator;
    for (const json& artist : Elements(object, "artists")) {
        const std::string name = Text(artist, "name");
        if (!name.empty()) {
            text += separator + name;
            separator = Text(artist, "joinphrase");
            separator = separator.empty() ? ", " : separator;
        }
    }
    return text;
}

int DateKey(const json& release) {
    const json* date = Member(release, "date");
    if (date == nullptr) {
        return 0;
    }
    const int year = Count(*date, "year");
    const int month = Count(*date, "month");
    const int day = Count(*date, "day");
    return year > 0 && year < 10000 && month < 13 && day < 32 ? year * 10000 + month * 100 + day
                                                              : 0;
}

AidRelease ReadRelease(const json& release, const json& group) {
    AidRelease out;
    out.id = Text(release, "id");
    out.groupId = Text(group, "id");
    out.title = Text(release, "title");
    if (out.title.empty()) {
        out.title = Text(group, "title");  // the compressed answer names it once
    }
    out.trackCount = Count(release, "track_count");
    out.mediumCount = Count(release, "medium_count");
    out.date = DateKey(release);
    for (const json& medium : Elements(release, "mediums")) {
        for (const json& track : Elements(medium, "tracks")) {
            out.places.push_back({Count(medium, "position"), Count(track, "position"),
                                  Count(medium, "track_count")});
        }
    }
    return out;
}

AidRecording ReadRecording(const json& recording, std::size_t& releases) {
    AidRecording out;
    out.id = Text(recording, "id");
    out.title = Text(recording, "title");
    out.artist = JoinedArtists(recording);
    out.seconds = Count(recording, "duration");
    for (const json& group : Elements(recording, "releasegroups")) {
        for (const json& release : Elements(group, "releases")) {
            if (release.is_object() && ++releases <= kMaxReleases) {
                out.releases.push_back(ReadRelease(release, group));
            }
        }
    }
    return out;
}

AidResult ReadResult(const json& result, std::size_t& releases) {
    AidResult out;
    out.id = Text(result, "id");
    const json* score = Member(result, "score");
    if (score != nullptr && score->is_number()) {
        const double value = score->get<double>();
        out.score = value >= 0.0 && value <= 1.0 ? value : 0.0;
    }
    for (const json& recording : Elements(result, "recordings")) {
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
    const std::string status = Text(root, "status");
    if (status == "error") {
        const json* problem = Member(root, "error");
        error = problem != nullptr ? Text(*problem, "message") : std::string();
        if (error.empty()) {
            error = "unknown error";
        }
        return AidParseResult::kError;
    }
    const json* results = Member(root, "results");
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
