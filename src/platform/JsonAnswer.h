#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace corvane {

// A web service's answer as a JSON object. Refused, with the reason in error
// and a null result, when it is longer than maxBytes, nested deeper than a
// parser should build, or no JSON object at all.
nlohmann::json ParseAnswerObject(std::string_view text, std::size_t maxBytes, std::string& error);

// Reading an answer whose members may be missing or of another type than
// documented: a missing or mistyped member reads as nothing.
const nlohmann::json* JsonMember(const nlohmann::json& object, const char* key);
std::string JsonText(const nlohmann::json& object, const char* key);
// A whole number from 1 to INT_MAX; anything else (null, text, a fraction out of range)
// counts as unknown, 0.
int JsonCount(const nlohmann::json& object, const char* key);
// The elements of an array member; nothing for a missing or other member.
const nlohmann::json& JsonElements(const nlohmann::json& object, const char* key);

}  // namespace corvane
