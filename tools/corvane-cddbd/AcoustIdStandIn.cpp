#include "AcoustIdStandIn.h"

#include <chromaprint.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace corvane {

namespace {

using nlohmann::json;

constexpr int kMaxShift = 8;  // items of about 0.12 s each way
constexpr std::size_t kMinOverlap = 30;
constexpr int kDurationSlack = 7;  // seconds

bool ReadWholeFile(const std::filesystem::path& path, std::string& text) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return static_cast<bool>(in);
}

bool Decode(const std::string& text, std::vector<std::uint32_t>& raw) {
    std::uint32_t* items = nullptr;
    int size = 0;
    int algorithm = 0;
    if (text.empty() ||
        chromaprint_decode_fingerprint(text.data(), static_cast<int>(text.size()), &items, &size,
                                       &algorithm, 1) != 1 ||
        items == nullptr) {
        return false;
    }
    raw.assign(items, items + size);
    chromaprint_dealloc(items);
    return !raw.empty();
}

StandInAnswer ServiceError(int code, const std::string& message) {
    json body{{"status", "error"}, {"error", {{"code", code}, {"message", message}}}};
    return {"400 Bad Request", body.dump()};
}

}  // namespace

double FingerprintSimilarity(const std::vector<std::uint32_t>& a,
                             const std::vector<std::uint32_t>& b) {
    double best = 0.0;
    for (int shift = -kMaxShift; shift <= kMaxShift; ++shift) {
        const std::size_t startA = shift > 0 ? static_cast<std::size_t>(shift) : 0;
        const std::size_t startB = shift < 0 ? static_cast<std::size_t>(-shift) : 0;
        if (startA >= a.size() || startB >= b.size()) {
            continue;
        }
        const std::size_t overlap = std::min(a.size() - startA, b.size() - startB);
        if (overlap < kMinOverlap) {
            continue;
        }
        std::size_t errors = 0;
        for (std::size_t i = 0; i < overlap; ++i) {
            errors += static_cast<std::size_t>(std::popcount(a[startA + i] ^ b[startB + i]));
        }
        best = std::max(best, 1.0 - static_cast<double>(errors) / (32.0 * overlap));
    }
    return best;
}

StandInAnswer AcoustIdLookup(const std::string& root, const std::string& client,
                             const std::string& duration, const std::string& fingerprint) {
    if (client.empty()) {
        return ServiceError(4, "invalid API key");
    }
    if (fingerprint.empty()) {
        return ServiceError(2, "missing required parameter \"fingerprint\"");
    }
    std::vector<std::uint32_t> asked;
    if (!Decode(fingerprint, asked)) {
        return ServiceError(3, "invalid fingerprint");
    }
    const int seconds = std::atoi(duration.c_str());
    std::vector<std::pair<double, json>> found;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(root) / "acoustid", error)) {
        std::string text;
        if (entry.path().extension() != ".json" || !ReadWholeFile(entry.path(), text)) {
            continue;
        }
        const json known = json::parse(text, nullptr, false);
        std::vector<std::uint32_t> raw;
        if (!known.is_object() || !known.contains("fingerprint") ||
            !known["fingerprint"].is_string() ||
            !Decode(known["fingerprint"].get<std::string>(), raw)) {
            continue;
        }
        if (known.contains("duration") && known["duration"].is_number() &&
            std::abs(known["duration"].get<int>() - seconds) > kDurationSlack) {
            continue;
        }
        const double similarity = FingerprintSimilarity(asked, raw);
        if (similarity >= kSameSoundSimilarity) {
            json result{{"id", known.value("id", entry.path().stem().string())},
                        {"score", std::round(similarity * 10000) / 10000}};
            if (known.contains("recordings")) {
                result["recordings"] = known["recordings"];
            }
            found.emplace_back(similarity, std::move(result));
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& x, const auto& y) { return x.first > y.first; });
    json results = json::array();
    for (auto& [similarity, result] : found) {
        results.push_back(std::move(result));
    }
    return {"200 OK", json{{"status", "ok"}, {"results", results}}.dump()};
}

StandInAnswer MusicBrainzRelease(const std::string& root, const std::string& releaseId) {
    std::string body;
    if (!releaseId.empty() && releaseId.size() <= 64 &&
        releaseId.find_first_not_of("0123456789abcdefABCDEF-") == std::string::npos &&
        ReadWholeFile(
            std::filesystem::path(root) / "musicbrainz" / "release" / (releaseId + ".json"),
            body)) {
        return {"200 OK", body};
    }
    return {"404 Not Found", R"({"error":"Not Found","help":"For usage, please see: )"
                             R"(https://musicbrainz.org/development/mmd"})"};
}

}  // namespace corvane
