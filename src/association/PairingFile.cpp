#include "association/PairingFile.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace corvane {

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \r") - first + 1);
}

int FindFile(const TrackList& files, std::string_view name) {
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].fileName == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// A track number of digits only, or -1; from_chars keeps a hostile line of
// a hundred digits from throwing.
int TrackNumber(std::string_view text) {
    int number = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return !text.empty() && text.front() != '-' && error == std::errc() &&
                   end == text.data() + text.size()
               ? number
               : -1;
}

int FindTrack(const TrackList& tracks, std::string_view number) {
    const int wanted = TrackNumber(number);
    if (wanted < 0) {
        return -1;
    }
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        if (TrackNumber(tracks[i].track) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

bool ParsePairing(std::string_view text, const TrackList& files, const TrackList& tracks,
                  std::vector<int>& fileRows, std::vector<int>& trackRows, std::string& problem) {
    fileRows.clear();
    trackRows.clear();
    int lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (Trimmed(line).empty()) {
            continue;
        }
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        const auto tab = line.rfind('\t');
        if (tab == std::string_view::npos) {
            problem = where + "no tab between the file name and the track number";
            return false;
        }
        const std::string_view name = line.substr(0, tab);
        const int file = FindFile(files, name);
        const int track = FindTrack(tracks, Trimmed(line.substr(tab + 1)));
        if (file < 0) {
            problem = where + "no file \"" + std::string(name) + "\"";
        } else if (track < 0) {
            problem = where + "no track " + std::string(Trimmed(line.substr(tab + 1)));
        } else if (std::find(fileRows.begin(), fileRows.end(), file) != fileRows.end()) {
            problem = where + "\"" + std::string(name) + "\" is paired twice";
        } else if (std::find(trackRows.begin(), trackRows.end(), track) != trackRows.end()) {
            problem = where + "track " + tracks[static_cast<std::size_t>(track)].track +
                      " is paired twice";
        } else {
            fileRows.push_back(file);
            trackRows.push_back(track);
            continue;
        }
        fileRows.clear();
        trackRows.clear();
        return false;
    }
    return true;
}

bool ReadPairingFile(const std::string& path, const TrackList& files, const TrackList& tracks,
                     std::vector<int>& fileRows, std::vector<int>& trackRows,
                     std::string& problem) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParsePairing(text.str(), files, tracks, fileRows, trackRows, problem);
}

}  // namespace corvane
