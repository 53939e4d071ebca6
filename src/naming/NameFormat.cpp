#include "naming/NameFormat.h"

#include <algorithm>
#include <iterator>

#include "naming/CaseConversion.h"
#include "naming/FileNameCleanup.h"

namespace corvane {

namespace {

struct Keyword {
    const char* code;
    const char* word;
};

constexpr Keyword kKeywords[] = {
    {"%0", "Track#"}, {"%1", "Artist"},  {"%2", "Title"}, {"%3", "Year"},    {"%4", "Album"},
    {"%5", "Length"}, {"%6", "BitRate"}, {"%7", "Genre"}, {"%8", "Comment"}, {"%9", "Disc#"},
};

// Each expansion step keeps at most this much. A file name keeps at most 255
// bytes of the start, and the steps after expansion change each character on
// its own (by at most a factor of three in bytes), so the cut never shows.
constexpr std::size_t kMaxExpandedBytes = 4096;

// ReplaceAll that stops once the text has grown past maxBytes.
std::string ReplaceAllUpTo(std::string_view text, std::string_view from, std::string_view to,
                           std::size_t maxBytes) {
    std::string out;
    std::size_t pos = 0;
    for (std::size_t hit; out.size() < maxBytes && (hit = text.find(from, pos)) != text.npos;
         pos = hit + from.size()) {
        out.append(text.substr(pos, hit - pos));
        out.append(to.substr(0, maxBytes));
    }
    if (out.size() < maxBytes) {
        out.append(text.substr(pos));
    }
    return LimitBytes(out, maxBytes);
}

}  // namespace

bool IsPresetNameFormat(std::string_view nameFormat) {
    return std::find(kPresetNameFormats.begin(), kPresetNameFormats.end(), nameFormat) !=
           kPresetNameFormats.end();
}

std::string NameTemplate(std::string format) {
    if (format.find('%') == std::string::npos) {
        format = FromDisplayName(format);
    }
    return format.size() < 2 ? std::string(kDefaultNameFormat) : format;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(from, pos)) != std::string_view::npos;
         pos = hit + from.size()) {
        out.append(text.substr(pos, hit - pos));
        out.append(to);
    }
    out.append(text.substr(pos));
    return out;
}

namespace {

// The words the display form reads back, longer spellings first. The editor
// spells two keywords "Comments" and "Bitrate"; both spellings of each stand
// for the keyword, never for literal text.
constexpr Keyword kReadWords[] = {
    {"%0", "Track#"},   {"%0", "Track"},   {"%1", "Artist"},  {"%2", "Title"},   {"%3", "Year"},
    {"%4", "Album"},    {"%5", "Length"},  {"%6", "BitRate"}, {"%6", "Bitrate"}, {"%7", "Genre"},
    {"%8", "Comments"}, {"%8", "Comment"}, {"%9", "Disc#"},
};

std::string WordsToCodes(std::string_view text) {
    std::string out(text);
    for (const Keyword& keyword : kReadWords) {
        out = ReplaceAll(out, keyword.word, keyword.code);
    }
    return out;
}

std::string CodesToWords(std::string_view nameFormat) {
    std::string text(nameFormat);
    for (const Keyword& keyword : kKeywords) {
        text = ReplaceAll(text, keyword.code, keyword.word);
    }
    return text;
}

bool IsCodeAt(std::string_view text, std::size_t pos) {
    return pos + 1 < text.size() && text[pos] == '%' && text[pos + 1] >= '0' &&
           text[pos + 1] <= '9';
}

// Appends the text of a quoted run that starts after its opening quote; ""
// stands for one quote. Returns the position after the closing quote.
std::size_t AppendQuoted(std::string_view text, std::size_t pos, std::string& out) {
    while (pos < text.size()) {
        if (text[pos] != '"') {
            out += text[pos++];
        } else if (pos + 1 < text.size() && text[pos + 1] == '"') {
            out += '"';
            pos += 2;
        } else {
            return pos + 1;
        }
    }
    return pos;
}

// Every literal run of the template quoted, so that no word in it is read
// as a keyword and no keyword word runs into it.
std::string QuotedDisplayName(std::string_view nameFormat) {
    std::string text;
    std::string literal;
    const auto flush = [&] {
        if (!literal.empty()) {
            text += "\"" + ReplaceAll(literal, "\"", "\"\"") + "\"";
            literal.clear();
        }
    };
    for (std::size_t pos = 0; pos < nameFormat.size();) {
        if (IsCodeAt(nameFormat, pos)) {
            flush();
            text += kKeywords[nameFormat[pos + 1] - '0'].word;
            pos += 2;
        } else {
            literal += nameFormat[pos++];
        }
    }
    flush();
    return text;
}

}  // namespace

std::string ToDisplayName(std::string_view nameFormat) {
    std::string text = CodesToWords(nameFormat);
    // Literal text that would read back as keywords ("Track %0", "%8s") is
    // written quoted instead.
    return FromDisplayName(text) == nameFormat ? text : QuotedDisplayName(nameFormat);
}

std::string FromDisplayName(std::string_view displayName) {
    std::string text;
    std::size_t pos = 0;
    while (pos < displayName.size()) {
        const std::size_t quote = displayName.find('"', pos);
        text += WordsToCodes(displayName.substr(pos, quote - pos));
        if (quote == std::string_view::npos) {
            break;
        }
        pos = AppendQuoted(displayName, quote + 1, text);
    }
    return text;
}

std::string ExpandNameFormat(std::string_view nameFormat, const TrackInfo& record) {
    const std::string track = record.track.size() == 1 ? "0" + record.track : record.track;
    const std::string fields[] = {
        track,
        record.artist,
        record.title,
        record.year,
        record.album,
        FormatPlayTime(record.playSeconds),
        std::to_string(record.bitrate) + "Kbps",
        record.genre,
        record.comment,
        // A one-disc album has no disc number: "%9-%0" gives "-01" there.
        record.discNumber > 0 ? std::to_string(record.discNumber) : std::string(),
    };
    std::string text = LimitBytes(nameFormat, kMaxExpandedBytes);
    for (std::size_t i = 0; i < std::size(kKeywords); ++i) {
        text = ReplaceAllUpTo(text, kKeywords[i].code, fields[i], kMaxExpandedBytes);
    }
    return text;
}

std::string BuildFileName(const TrackInfo& record, std::string_view nameFormat,
                          std::string_view caseMode) {
    const std::string name =
        ReplaceIllegalChars(ConvertCase(ExpandNameFormat(nameFormat, record), caseMode));
    const std::size_t room = kMaxFileNameBytes - std::string_view(kNameExtension).size();
    // Nothing at all before the extension would make a hidden ".mp3".
    return (name.empty() ? "_" : LimitBytes(name, room)) + kNameExtension;
}

TrackInfo NamingRecord(const TrackInfo& track, const TrackInfo& file) {
    TrackInfo record = track;
    record.playSeconds = file.playSeconds;
    record.playTime = file.playTime;
    record.bitrate = file.bitrate;
    return record;
}

void NamePairedTracks(TrackList& tracks, const TrackList& files, const std::vector<int>& fileRows,
                      const std::vector<int>& trackRows, std::string_view nameFormat,
                      std::string_view caseMode) {
    std::vector<const TrackInfo*> fileOf(tracks.size(), nullptr);
    for (std::size_t k = 0; k < std::min(fileRows.size(), trackRows.size()); ++k) {
        const int file = fileRows[k];
        const int track = trackRows[k];
        if (file >= 0 && track >= 0 && static_cast<std::size_t>(file) < files.size() &&
            static_cast<std::size_t>(track) < tracks.size()) {
            fileOf[static_cast<std::size_t>(track)] = &files[static_cast<std::size_t>(file)];
        }
    }
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const TrackInfo record =
            fileOf[i] != nullptr ? NamingRecord(tracks[i], *fileOf[i]) : tracks[i];
        tracks[i].fileName = BuildFileName(record, nameFormat, caseMode);
    }
}

}  // namespace corvane
