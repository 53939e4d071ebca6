#include "association/DisplayLine.h"

namespace corvane {

namespace {

bool AllDigits(std::string_view text) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::uint32_t Number(std::string_view digits) {
    std::uint32_t value = 0;
    for (char c : digits) {
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

std::string Line(const std::string& name, std::uint32_t playSeconds) {
    return name + " [" + FormatPlayTime(playSeconds) + "]";
}

}  // namespace

std::string FileDisplayLine(const TrackInfo& file) {
    return Line(file.title.empty() ? file.fileName : file.title, file.playSeconds);
}

std::string TrackDisplayLine(const TrackInfo& track) {
    return Line(track.title, track.playSeconds);
}

bool ParseDisplayLine(std::string_view line, DisplayLineParts& parts) {
    parts = {};
    // The time is the text in the last brackets: hours, total minutes and
    // seconds. Reading all of it keeps play times of 100 minutes and more
    // exact, and taking the name as written keeps its blanks.
    const std::size_t open = line.rfind(" [");
    if (open == std::string_view::npos || line.back() != ']') {
        return false;
    }
    const std::string_view time = line.substr(open + 2, line.size() - open - 3);
    const std::size_t first = time.find(':');
    const std::size_t second = time.rfind(':');
    if (first == std::string_view::npos || first == second) {
        return false;
    }
    const std::string_view hours = time.substr(0, first);
    const std::string_view minutes = time.substr(first + 1, second - first - 1);
    const std::string_view seconds = time.substr(second + 1);
    if (!AllDigits(hours) || !AllDigits(minutes) || !AllDigits(seconds)) {
        return false;
    }
    parts.name = std::string(line.substr(0, open));
    parts.playSeconds = Number(minutes) * 60 + Number(seconds);
    return true;
}

int FindRecordForLine(const TrackList& records, std::string_view line) {
    DisplayLineParts parts;
    if (!ParseDisplayLine(line, parts)) {
        return -1;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TrackInfo& record = records[i];
        if (record.playSeconds == parts.playSeconds &&
            (record.fileName == parts.name || record.title == parts.name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace corvane
