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

}  // namespace corvane
