#include "platform/JsonAnswer.h"

#include <climits>

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

const nlohmann::json* JsonMember(const nlohmann::json& object, const char* key) {
    if (!object.is_object()) {
        return nullptr;
    }
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

std::string JsonText(const nlohmann::json& object, const char* key) {
    const nlohmann::json* value = JsonMember(object, key);
    return value != nullptr && value->is_string() ? value->get<std::string>() : std::string();
}

int JsonCount(const nlohmann::json& object, const char* key) {
    const nlohmann::json* value = JsonMember(object, key);
    if (value == nullptr || !value->is_number()) {
        return 0;
    }
    const double number = value->get<double>();
    return number > 0 && number <= INT_MAX ? static_cast<int>(number) : 0;
}

const nlohmann::json& JsonElements(const nlohmann::json& object, const char* key) {
    static const nlohmann::json kNone = nlohmann::json::array();
    const nlohmann::json* value = JsonMember(object, key);
    return value != nullptr && value->is_array() ? *value : kNone;
}

}  // namespace corvane
