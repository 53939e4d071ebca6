#include "association/MatchScore.h"

#include <algorithm>

#include "naming/FileNameCleanup.h"
#include "naming/NameFormat.h"
#include "platform/Unicode.h"
#include "platform/Utf8.h"

namespace corvane {

namespace {

// Only the start of a text is compared, which bounds the work for absurdly
// long tags; no real title comes near it.
constexpr std::size_t kMaxMatchBytes = 1024;

// A byte that is not valid UTF-8 is carried as a lone surrogate, which no
// valid text contains, so it survives and stays one character.
constexpr char32_t kRawByteBase = 0xDC00;

std::u32string Decode(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Char ch = ReadUtf8Char(text, pos);
        out += ch.valid ? ch.code : kRawByteBase + static_cast<unsigned char>(text[pos]);
        pos += ch.size;
    }
    return out;
}

std::string Encode(const std::u32string& text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c >= kRawByteBase + 0x80 && c <= kRawByteBase + 0xFF) {
            out += static_cast<char>(c - kRawByteBase);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

bool IsMatchWordChar(char32_t c) {
    return !(c >= kRawByteBase && c <= kRawByteBase + 0xFF) && IsWordChar(c);
}

// Replaces each "  " by " ", left to right, in one pass. Returns whether a
// pair of spaces is left.
bool HalveSpaceRuns(std::u32string& text) {
    std::size_t out = 0;
    bool pairLeft = false;
    for (std::size_t in = 0; in < text.size(); ++in) {
        if (text[in] == U' ' && in + 1 < text.size() && text[in + 1] == U' ') {
            ++in;
        }
        pairLeft = pairLeft || (out > 0 && text[in] == U' ' && text[out - 1] == U' ');
        text[out++] = text[in];
    }
    text.resize(out);
    return pairLeft;
}

bool IsWhite(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsWhite(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsWhite(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Characters, not bytes, so that accented titles weigh as much as plain ones.
long CharCount(std::string_view text) {
    long count = 0;
    for (char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

// Calls visit with each word of a text, as CountWords and GetWord see them.
template <typename Visit>
void ForEachWord(std::string_view text, Visit visit) {
    std::size_t start = 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == ' ') {
            visit(Trim(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    visit(Trim(text.substr(std::min(start, text.size()))));
}

}  // namespace

void NormalizeForMatch(std::string& text) {
    const std::u32string original = Decode(text);
    std::u32string work = original;
    std::u32string replaced;
    bool pairsLeft = true;
    // Each separator met on the walk turns its kind into spaces and halves the
    // runs of spaces once; long runs shrink over the following separators.
    // A kind already replaced, or a pass without pairs to halve, changes
    // nothing, and is skipped.
    for (char32_t c : original) {
        if (IsMatchWordChar(c)) {
            continue;
        }
        if (c != U' ' && replaced.find(c) == std::u32string::npos) {
            replaced += c;
            std::replace(work.begin(), work.end(), c, U' ');
            pairsLeft = true;
        }
        if (pairsLeft) {
            pairsLeft = HalveSpaceRuns(work);
        }
    }
    text = std::string(Trim(Encode(work)));
}

int CountWords(std::string_view text) {
    int words = 1;
    for (std::size_t i = 1; i < text.size(); ++i) {
        words += text[i] == ' ' ? 1 : 0;
    }
    return words;
}

std::string GetWord(std::string_view text, int index) {
    std::string found;
    int current = 0;
    ForEachWord(text, [&](std::string_view word) {
        if (current++ == index) {
            found = word;
        }
    });
    return found;
}

std::string PrepareTitleSide(std::string_view titleSide) {
    std::string text = ToUpperUtf8(LimitBytes(titleSide, kMaxMatchBytes));
    NormalizeForMatch(text);
    return text;
}

std::string PrepareFileSide(std::string_view fileSide) {
    std::string text = ToUpperUtf8(LimitBytes(fileSide, kMaxMatchBytes));
    // Twice, for names such as "x.mp3.mp3".
    text = ReplaceAll(ReplaceAll(text, ".MP3", ""), ".MP3", "");
    NormalizeForMatch(text);
    // Not trimmed again: "TRACK 05 SONG" leaves " 05 SONG".
    return ReplaceAll(text, "TRACK", "");
}

int ScorePrepared(std::string_view fileSide, std::string_view titleSide) {
    const int fileWords = CountWords(fileSide);
    const int titleWords = CountWords(titleSide);
    bool fileIsX = fileWords < titleWords;
    if (fileWords == titleWords) {
        fileIsX = CharCount(fileSide) <= CharCount(titleSide);
    }
    const std::string_view x = fileIsX ? fileSide : titleSide;
    const std::string_view y = fileIsX ? titleSide : fileSide;

    long matched = 0;
    ForEachWord(x, [&](std::string_view word) {
        if (y.find(word) != std::string_view::npos) {
            matched += CharCount(word);
        }
    });
    const long divisor = CharCount(x) - CountWords(x) + 1;
    if (divisor <= 0) {
        return 0;  // nothing left to compare, e.g. a name that was only "Track"
    }
    return static_cast<int>(matched * 100 / divisor);
}

int ScoreMatch(std::string_view fileSide, std::string_view titleSide) {
    return ScorePrepared(PrepareFileSide(fileSide), PrepareTitleSide(titleSide));
}

}  // namespace corvane
