#include "processing/PlaylistWriter.h"

#include <string_view>

#include "naming/FileNameCleanup.h"
#include "naming/NameFormat.h"

namespace corvane {

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string WithoutLineBreaks(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return text;
}

std::string RemoveAll(std::string text, const std::string& part) {
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
    return text;
}

}  // namespace

std::string PlaylistFileName(const TrackInfo& firstTrack) {
    constexpr std::string_view kExtension = ".m3u";
    const std::string name = ReplaceIllegalChars(firstTrack.artist + " - " + firstTrack.album);
    return LimitBytes(name, kMaxFileNameBytes - kExtension.size()) + std::string(kExtension);
}

std::string PlaylistLabel(const std::string& title, const std::string& fileName) {
    return title.empty() ? RemoveAll(fileName, ".mp3") : title;
}

bool CanListFileName(const std::string& fileName) {
    return fileName.find_first_of("\r\n") == std::string::npos;
}

std::string BuildPlaylist(const std::vector<PlaylistEntry>& entries) {
    std::string text = std::string("#EXTM3U") + kLineEnd;
    for (const PlaylistEntry& entry : entries) {
        text += "#EXTINF:" + std::to_string(entry.playSeconds) + "," +
                WithoutLineBreaks(entry.label) + kLineEnd;
        text += entry.fileName + kLineEnd;
    }
    return text;
}

}  // namespace corvane
