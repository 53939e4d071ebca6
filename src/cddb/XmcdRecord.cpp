#include "cddb/XmcdRecord.h"

#include <algorithm>
#include <vector>

#include "cddb/AnswerText.h"

namespace corvane {

namespace {

// The text from position at on; empty when the text is shorter.
std::string_view From(std::string_view text, std::size_t at) {
    return at < text.size() ? text.substr(at) : std::string_view();
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string ReplaceAll(const std::string& text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    for (;;) {
        const std::size_t found = text.find(from, at);
        if (found == std::string::npos) {
            out.append(text, at);
            return out;
        }
        out.append(text, at, found - at);
        out += to;
        at = found + from.size();
    }
}

// Words of text separated by runs of spaces.
std::vector<std::string_view> SplitWords(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        at = text.find_first_not_of(' ', at);
        if (at == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(text.find(' ', at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

// Appends value to entry n of items, which is first resized to exactly n + 1
// entries. Indexes out of range are ignored.
void AppendIndexed(std::vector<std::string>& items, std::string_view indexText,
                   const std::string& value) {
    const std::int32_t n = LeadingInt(indexText);
    if (n < 0 || n > kMaxTrackIndex) {
        return;
    }
    items.resize(static_cast<std::size_t>(n) + 1);
    items[static_cast<std::size_t>(n)] += value;
}

struct ParseState {
    std::string title;
    std::string playOrder;
    bool seenSignature = false;
    bool inOffsets = false;
    bool seenLength = false;
    bool seenSubmitter = false;
    bool seenDiscId = false;
    bool seenTitle = false;
};

// False when the comment makes the record unusable.
bool TakeComment(const std::string& t, ParseState& state, DiscRecord& record) {
    if (StartsWith(t, "xmcd")) {
        state.seenSignature = true;
    } else if (t.find("Track frame offsets:") != std::string::npos) {
        state.inOffsets = true;
    } else if (StartsWith(t, "Disc length:")) {
        state.inOffsets = false;
        state.seenLength = true;
        record.discLength = LeadingInt(From(t, 13));
    } else if (StartsWith(t, "Revision:")) {
        record.revision = LeadingInt(From(t, 9));
    } else if (StartsWith(t, "Submitted via:")) {
        state.seenSubmitter = true;
        const auto words = SplitWords(From(t, 14));
        if (words.size() < 2) {
            return false;
        }
        record.submitterName = words[0];
        record.submitterVersion = words[1];
        record.submitterComment = words.size() > 2 ? std::string(words[2]) : std::string();
    } else if (state.inOffsets && !t.empty()) {
        record.frameOffsets.push_back(LeadingInt(t));
    }
    return true;
}

void TakeKeyValue(const std::string& key, const std::string& value, ParseState& state,
                  DiscRecord& record) {
    if (key == "DISCID") {
        if (value.size() >= 8) {
            state.seenDiscId = true;
            record.discId = LeadingHex(value);
        }
    } else if (key == "DTITLE") {
        state.seenTitle = true;
        state.title += value;
    } else if (key == "DYEAR") {
        record.year = LeadingInt(value);
    } else if (key == "DGENRE") {
        record.genre += value;
    } else if (StartsWith(key, "TTITLE")) {
        AppendIndexed(record.trackTitles, From(key, 6), value);
    } else if (key == "EXTD") {
        record.extendedData += value;
    } else if (StartsWith(key, "EXTT")) {
        AppendIndexed(record.trackExtended, From(key, 4), value);
    } else if (key == "PLAYORDER") {
        state.playOrder += value;
    }
}

bool IsComplete(const ParseState& state, const DiscRecord& record) {
    return state.seenSignature && !record.frameOffsets.empty() && state.seenLength &&
           state.seenSubmitter && state.seenDiscId && state.seenTitle &&
           record.trackTitles.size() == record.trackExtended.size();
}

// A server notice dressed as a record (a title line saying the service has
// moved, and no tracks) must not become an album.
bool LooksLikeAnAlbum(const ParseState& state, const DiscRecord& record) {
    const auto blank = [](std::string_view text) { return TrimBlanks(text).empty(); };
    return !record.trackTitles.empty() &&
           (!blank(state.title) ||
            !std::all_of(record.trackTitles.begin(), record.trackTitles.end(), blank));
}

void SplitTitle(const std::string& title, DiscRecord& record) {
    const std::size_t at = title.find(" / ");
    if (at == std::string::npos) {
        record.artist = title;
        record.album = title;
        return;
    }
    record.artist = title.substr(0, at);
    record.album = title.substr(at + 3);
}

void SplitPlayOrder(std::string_view text, DiscRecord& record) {
    for (;;) {
        const std::size_t comma = text.find(',');
        if (comma == std::string_view::npos) {
            if (!text.empty()) {
                record.playOrder.push_back(LeadingInt(text));
            }
            return;
        }
        record.playOrder.push_back(LeadingInt(text.substr(0, comma)));
        text.remove_prefix(comma + 1);
    }
}

}  // namespace

bool CommentText(std::string_view line, std::string& text) {
    if (line.empty() || line.front() != '#') {
        return false;
    }
    const std::string_view rest = line.substr(1);
    text = rest.size() >= 2 ? std::string(TrimBlanks(rest)) : std::string();
    return true;
}

bool SplitKeyValue(std::string_view line, std::string& key, std::string& value) {
    const std::size_t at = line.find('=');
    if (at == std::string_view::npos) {
        return false;
    }
    key = line.substr(0, at);
    value = ReplaceAll(std::string(line.substr(at + 1)), "\\n", "\n");
    value = ReplaceAll(value, "\\t", "\t");
    value = ReplaceAll(value, "\\\\", "\\");
    return true;
}

bool ParseXmcdRecord(std::string_view body, DiscRecord& record) {
    const int status = StatusCode(body);
    if (status < 210 || status > 219) {
        return false;
    }
    const std::size_t start = SkipFirstLine(body);
    if (start == std::string_view::npos) {
        return false;
    }
    record = DiscRecord();
    ParseState state;
    bool usable = true;
    std::string text;
    std::string key;
    std::string value;
    ForEachLine(body.substr(start), [&](std::string_view line) {
        if (!usable) {
            return;
        }
        if (CommentText(line, text)) {
            usable = TakeComment(text, state, record);
        } else if (SplitKeyValue(line, key, value)) {
            TakeKeyValue(key, value, state, record);
        }
    });
    if (!usable || !IsComplete(state, record) || !LooksLikeAnAlbum(state, record)) {
        return false;
    }
    SplitTitle(state.title, record);
    SplitPlayOrder(state.playOrder, record);
    return true;
}

}  // namespace corvane
