#include "musicbrainz/AnswerParser.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "platform/JsonAnswer.h"

namespace corvane {

namespace {

using nlohmann::json;

// "A", " & ", "B", " feat. ", "C": each credited name with its join phrase.
std::string JoinedCredit(const json& object) {
    std::string text;
    for (const json& part : JsonElements(object, "artist-credit")) {
        std::string name = JsonText(part, "name");
        if (name.empty()) {
            if (const json* artist = JsonMember(part, "artist")) {
                name = JsonText(*artist, "name");
            }
        }
        text += name + JsonText(part, "joinphrase");
    }
    return text;
}

// The credited artists' ids, as taggers write them: joined with "/".
std::string CreditIds(const json& object) {
    std::string ids;
    for (const json& part : JsonElements(object, "artist-credit")) {
        if (const json* artist = JsonMember(part, "artist")) {
            if (std::string id = JsonText(*artist, "id"); !id.empty()) {
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
    for (const json& genre : JsonElements(object, "genres")) {
        const std::string name = JsonText(genre, "name");
        const int count = JsonCount(genre, "count");
        if (!name.empty() && count > bestCount) {
            best = name;
            bestCount = count;
        }
    }
    return best;
}

MbTrack ReadTrack(const json& track) {
    static const json kNoRecording = json::object();
    const json* found = JsonMember(track, "recording");
    const json& recording = found != nullptr ? *found : kNoRecording;
    MbTrack out;
    out.position = JsonCount(track, "position");
    out.title = JsonText(track, "title");
    if (out.title.empty()) {
        out.title = JsonText(recording, "title");
    }
    out.artist = JoinedCredit(track);
    if (out.artist.empty()) {
        out.artist = JoinedCredit(recording);
    }
    out.lengthMs = JsonCount(track, "length");
    if (out.lengthMs == 0) {
        out.lengthMs = JsonCount(recording, "length");
    }
    out.recordingId = JsonText(recording, "id");
    return out;
}

MbMedium ReadMedium(const json& medium) {
    MbMedium out;
    out.position = JsonCount(medium, "position");
    out.format = JsonText(medium, "format");
    for (const json& disc : JsonElements(medium, "discs")) {
        if (std::string id = JsonText(disc, "id"); !id.empty()) {
            out.discIds.push_back(std::move(id));
        }
    }
    for (const json& track : JsonElements(medium, "tracks")) {
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
    out.id = JsonText(release, "id");
    out.title = JsonText(release, "title");
    out.artist = JoinedCredit(release);
    out.artistIds = CreditIds(release);
    out.date = JsonText(release, "date");
    out.country = JsonText(release, "country");
    if (const json* group = JsonMember(release, "release-group")) {
        out.genre = MostVotedGenre(*group);
        out.releaseGroupId = JsonText(*group, "id");
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
    for (const json& medium : JsonElements(release, "media")) {
        if (medium.is_object()) {
            out.media.push_back(ReadMedium(medium));
        }
    }
    return out;
}

// The text within limits and parsed as an object; null root otherwise.
// The answer's object; a null one with kGarbage or kError (the service's own
// message) in result when it is not an answer to read.
json ParseObject(std::string_view text, std::string& error, MbParseResult& result) {
    json root = ParseAnswerObject(text, kMaxMusicBrainzAnswerBytes, error);
    result = MbParseResult::kGarbage;
    if (root.is_null()) {
        return root;
    }
    if (const json* message = JsonMember(root, "error")) {
        error = message->is_string() ? message->get<std::string>() : std::string("unknown error");
        result = MbParseResult::kError;
        return json();
    }
    return root;
}

}  // namespace

MbParseResult ParseMusicBrainzRelease(std::string_view text, MbRelease& release,
                                      std::string& error) {
    release = MbRelease{};
    error.clear();
    MbParseResult refused = MbParseResult::kGarbage;
    const json root = ParseObject(text, error, refused);
    if (root.is_null()) {
        return refused;
    }
    release = ReadRelease(root);
    if (release.id.empty() || release.media.empty()) {
        release = MbRelease{};
        error = "the answer holds no release with its media";
        return MbParseResult::kGarbage;
    }
    return MbParseResult::kReleases;
}

MbParseResult ParseMusicBrainzAnswer(std::string_view text, MbAnswer& answer, std::string& error) {
    answer = MbAnswer{};
    error.clear();
    MbParseResult refused = MbParseResult::kGarbage;
    const json root = ParseObject(text, error, refused);
    if (root.is_null()) {
        return refused;
    }
    const json* releases = JsonMember(root, "releases");
    if (releases == nullptr || !releases->is_array()) {
        error = "the answer holds no release list";
        return MbParseResult::kGarbage;
    }
    answer.discId = JsonText(root, "id");
    for (const json& release : *releases) {
        if (release.is_object()) {
            answer.releases.push_back(ReadRelease(release));
        }
    }
    return MbParseResult::kReleases;
}

}  // namespace corvane
