#include "naming/FormatPreview.h"

#include "album/TrackInfo.h"
#include "naming/CaseConversion.h"
#include "naming/NameFormat.h"

namespace corvane {

std::string PreviewFileName(std::string_view nameFormat) {
    TrackInfo example;
    example.track = "02";
    example.artist = "Beatles";
    example.title = "I Should Have Known Better";
    example.year = "1964";
    example.album = "A Hard Day's Night";
    example.playSeconds = 3 * 60 + 44;
    example.bitrate = 128;
    example.genre = "Rock";
    example.comment = "ids: rock / b107270d";
    // Built as the real names are, so the example cannot promise another name.
    return BuildFileName(example, nameFormat, kCaseDoNothing);
}

std::string EditorText(const std::string& displayName) {
    std::string text = ReplaceAll(displayName, "Track#", "Track");
    return FromDisplayName(text) == FromDisplayName(displayName) ? text : displayName;
}

}  // namespace corvane
