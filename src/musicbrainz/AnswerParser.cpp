#include "musicbrainz/AnswerParser.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "platform/Json.h"

namespace corvane {

namespace {

using nlohmann::json;

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

// A whole number from 0 to INT_MAX; anything else (null, text, a fraction
// out of range) counts as unknown, 0.
int Count(const json& object, const char* key) {
    const json* value = Member(object, key);
    if (value == nullptr || !value->is_number()) {
        return 0;
    }
    const double number = value->get<double>();
    return number > 0 && number <= INT_MAX ? static_cast<int>(number) : 0;
}

// The elements of an array member; nothing for a missing or other member.
const json& Elements(const json& object, const char* key) {
    static const json kNone = json::array();
    const json* value = Member(object, key);
    return value != nullptr && value->is_array() ? *value : kNone;
}

// "A", " & ", "B", " feat. ", "C": each credited name with its join phrase.
std::string JoinedCredit(const json& object) {
    std::string text;
    for (const json& part : Elements(object, "artist-credit")) {
        std::string name = Text(part, "name");
        if (name.empty()) {
            if (const json* artist = Member(part, "artist")) {
                name = Text(*artist, "name");
            }
        }
        text += name + Text(part, "joinphrase");
    }
    return text;
}

// The credited artists' ids, as taggers write them: joined with "/".
std::string CreditIds(const json& object) {
    std::string ids;
    for (const json& part : Elements(object, "artist-credit")) {
        if (const json* artist = Member(part, "artist")) {
            if (std::string id = Text(*artist, "id"); !id.empty()) {
                ids += (ids.empty() ? "" : "/") + id;
            }
        }
    }
    return ids;
}

// The genre with the most votes; the first listed wins a tie.
std::string MostVotedGenre(const json& object) {
    std::string best;
    int bestCount = -1;
    for (const json& genre : Elements(object, "genres")) {
        const std::string name = Text(genre, "name");
        const int count = Count(genre, "count");
        if (!name.empty() && count > bestCount) {
            best = name;
            bestCount = count;
        }
    }
    return best;
}

MbTrack ReadTrack(const json& track) {
    static const json kNoRecording = json::object();
    const json* found = Member(track, "recording");
    const json& recording = found != nullptr ? *found : kNoRecording;
    MbTrack out;
    out.position = Count(track, "position");
    out.title = Text(track, "title");
    if (out.title.empty()) {
        out.title = Text(recording, "title");
    }
    out.artist = JoinedCredit(track);
    if (out.artist.empty()) {
        out.artist = JoinedCredit(recording);
    }
    out.recordingId = Text(recording, "id");
    out.lengthMs = Count(track, "length");
    if (out.lengthMs == 0) {
        out.lengthMs = Count(recording, "length");
    }
    return out;
}

MbMedium ReadMedium(const json& medium) {
    MbMedium out;
    out.position = Count(medium, "position");
    out.format = Text(medium, "format");
    for (const json& disc : Elements(medium, "discs")) {
        if (std::string id = Text(disc, "id"); !id.empty()) {
            out.discIds.push_back(std::move(id));
        }
    }
    for (const json& track : Elements(medium, "tracks")) {
        if (track.is_object()) {
            out.tracks.push_back(ReadTrack(track));
        }
    }
    // The answer lists tracks in order; positions, where given, decide.
    std::stable_sort(out.tracks.begin(), out.tracks.end(),
                     [](const MbTrack& a, const MbTrack& b) { return a.position < b.position; });
    return out;
}

MbRelease ReadRelease(const json& release) {
    MbRelease out;
    out.id = Text(release, "id");
    out.title = Text(release, "title");
    out.artist = JoinedCredit(release);
    out.artistIds = CreditIds(release);
    out.date = Text(release, "date");
    out.country = Text(release, "country");
    if (const json* group = Member(release, "release-group")) {
        out.genre = MostVotedGenre(*group);
        out.releaseGroupId = Text(*group, "id");
        if (out.artistIds.empty()) {
            out.artistIds = CreditIds(*group);
        }
        if (out.artist.empty()) {
            out.artist = JoinedCredit(*group);
        }
    }
    if (out.genre.empty()) {
        out.genre = MostVotedGenre(release);
    }
    for (const json& medium : Elements(release, "media")) {
        if (medium.is_object()) {
            out.media.push_back(ReadMedium(medium));
        }
    }
    return out;
}

}  // namespace

MbParseResult ParseMusicBrainzAnswer(std::string_view text, MbAnswer& answer, std::string& error) {
    answer = MbAnswer{};
    error.clear();
    if (text.size() > kMaxMusicBrainzAnswerBytes) {
        error =
            "the answer is longer than " + std::to_string(kMaxMusicBrainzAnswerBytes) + " bytes";
        return MbParseResult::kGarbage;
    }
    // A tree of millions of levels costs hundreds of bytes per level to build.
    if (JsonNestsDeeperThan(text)) {
        error = "the answer is nested deeper than " + std::to_string(kMaxJsonDepth) + " levels";
        return MbParseResult::kGarbage;
    }
    const json root = json::parse(text.begin(), text.end(), nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        error = "the answer is not a JSON object";
        return MbParseResult::kGarbage;
    }
    if (const json* message = Member(root, "error")) {
        error = message->is_string() ? message->get<std::string>() : std::string("unknown error");
        return MbParseResult::kError;
    }
    const json* releases = Member(root, "releases");
    if (releases == nullptr || !releases->is_array()) {
        error = "the answer holds no release list";
        return MbParseResult::kGarbage;
    }
    answer.discId = Text(root, "id");
    for (const json& release : *releases) {
        if (release.is_object()) {
            answer.releases.push_back(ReadRelease(release));
        }
    }
    return MbParseResult::kReleases;
}

}  // namespace corvane
