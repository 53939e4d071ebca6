#pragma once

#include <string>
#include <string_view>

namespace corvane {

// The file name the template editor shows for a template: the name an
// example track would get ("02", "Beatles", "I Should Have Known Better",
// "1964", "A Hard Day's Night", 3:44, 128 kbit/s, "Rock",
// "ids: rock / b107270d"), without case conversion.
std::string PreviewFileName(std::string_view nameFormat);

// The editor's text for a display name: "Track#" is written "Track", unless
// that would read back as another template.
std::string EditorText(const std::string& displayName);

}  // namespace corvane
