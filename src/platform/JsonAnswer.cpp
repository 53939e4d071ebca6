#include "platform/JsonAnswer.h"

#include "platform/Json.h"

namespace corvane {

nlohmann::json ParseAnswerObject(std::string_view text, std::size_t maxBytes, std::string& error) {
    if (text.size() > maxBytes) {
        error = "the answer is longer than " + std::to_string(maxBytes) + " bytes";
        return {};
    }
    // A tree of millions of levels costs hundreds of bytes per level to build.
    if (JsonNestsDeeperThan(text)) {
        error = "the answer is nested deeper than " + std::to_string(kMaxJsonDepth) + " levels";
        return {};
    }
    nlohmann::json root = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        error = "the answer is not a JSON object";
        return {};
    }
    return root;
}

}  // namespace corvane
