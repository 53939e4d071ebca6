#include "platform/Unicode.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "platform/Utf8.h"

namespace corvane {

namespace {

// Code points first..last, every stride-th one, map to code point + delta.
struct CaseRun {
    char32_t first;
    char32_t last;
    std::int32_t delta;
    std::uint32_t stride;
};

struct CodeRange {
    char32_t first;
    char32_t last;
};

#include "platform/UnicodeTables.inc"

template <std::size_t N>
char32_t MapCase(const CaseRun (&runs)[N], char32_t c) {
    const CaseRun* end = runs + N;
    const CaseRun* it = std::upper_bound(
        runs, end, c, [](char32_t v, const CaseRun& run) { return v < run.first; });
    if (it == runs) {
        return c;
    }
    --it;
    if (c > it->last || (c - it->first) % it->stride != 0) {
        return c;
    }
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + it->delta);
}

template <std::size_t N>
bool InRanges(const CodeRange (&ranges)[N], char32_t c) {
    const CodeRange* end = ranges + N;
    const CodeRange* it = std::upper_bound(
        ranges, end, c, [](char32_t v, const CodeRange& range) { return v < range.first; });
    return it != ranges && c <= std::prev(it)->last;
}

template <typename Map>
std::string MapText(std::string_view text, Map map) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Char ch = ReadUtf8Char(text, pos);
        if (ch.valid) {
            AppendUtf8(out, map(ch.code));
        } else {
            out += text[pos];
        }
        pos += ch.size;
    }
    return out;
}

}  // namespace

char32_t ToUpper(char32_t c) {
    if (c < 0x80) {
        return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    }
    return MapCase(kUpperRuns, c);
}

char32_t ToLower(char32_t c) {
    if (c < 0x80) {
        return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    }
    return MapCase(kLowerRuns, c);
}

char32_t ToTitle(char32_t c) {
    // Each digraph group is upper, title, lower in that order.
    for (char32_t upper : {char32_t{0x1C4}, char32_t{0x1C7}, char32_t{0x1CA}, char32_t{0x1F1}}) {
        if (c >= upper && c <= upper + 2) {
            return upper + 1;
        }
    }
    return ToUpper(c);
}

bool IsLetter(char32_t c) {
    if (c < 0x80) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    }
    return InRanges(kLetterRanges, c);
}

bool IsMark(char32_t c) {
    return c >= 0x300 && InRanges(kMarkRanges, c);
}

bool IsDigit(char32_t c) {
    if (c < 0x80) {
        return c >= '0' && c <= '9';
    }
    return InRanges(kDigitRanges, c);
}

bool IsWordChar(char32_t c) {
    return IsLetter(c) || IsDigit(c) || IsMark(c);
}

Utf8Char ReadUtf8Char(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t next = pos;
    const char32_t code = DecodeUtf8(text, next);
    // DecodeUtf8 takes a single byte for anything malformed; a real U+FFFD
    // takes three.
    if (code == kReplacementChar && next - pos == 1) {
        return {lead, 1, false};
    }
    return {code, next - pos, true};
}

std::string ToUpperUtf8(std::string_view text) {
    return MapText(text, ToUpper);
}

std::string ToLowerUtf8(std::string_view text) {
    return MapText(text, ToLower);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const Utf8Char ca = ReadUtf8Char(a, i);
        const Utf8Char cb = ReadUtf8Char(b, j);
        if (ca.valid != cb.valid) {
            return false;
        }
        if (ca.valid ? ToLower(ca.code) != ToLower(cb.code) : a[i] != b[j]) {
            return false;
        }
        i += ca.size;
        j += cb.size;
    }
    return i == a.size() && j == b.size();
}

}  // namespace corvane
