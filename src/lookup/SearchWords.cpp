#include "lookup/SearchWords.h"

#include <cstring>
#include <vector>

#include "naming/NameFormat.h"
#include "platform/Unicode.h"
#include "platform/Utf8.h"

namespace corvane {

namespace {

// The accented capitals of the Western code page and their base letters.
char32_t BaseLetter(char32_t c) {
    if (c >= 0xC0 && c <= 0xC5)
        return U'A';
    if (c == 0xC7)
        return U'C';
    if (c >= 0xC8 && c <= 0xCB)
        return U'E';
    if (c >= 0xCC && c <= 0xCF)
        return U'I';
    if (c >= 0xD2 && c <= 0xD6)
        return U'O';
    if (c >= 0xD9 && c <= 0xDC)
        return U'U';
    if (c == 0xDD)
        return U'Y';
    return c;
}

std::string StripAccentedCapitals(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Char ch = ReadUtf8Char(text, pos);
        if (ch.valid && ch.code >= 0xC0 && ch.code <= 0xDD) {
            AppendUtf8(out, BaseLetter(ch.code));
        } else {
            out.append(text.substr(pos, ch.size));
        }
        pos += ch.size;
    }
    return out;
}

std::size_t CharCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

std::string TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string TrimLeftSpaces(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// Blanks every character that stands alone between two blanks.
std::string BlankIsolatedChars(std::string_view text) {
    struct Piece {
        std::size_t pos;
        std::size_t size;
    };
    std::vector<Piece> chars;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t size = ReadUtf8Char(text, pos).size;
        chars.push_back({pos, size});
        pos += size;
    }
    const auto isSpace = [&](std::size_t i) {
        return chars[i].size == 1 && text[chars[i].pos] == ' ';
    };
    std::vector<bool> blank(chars.size(), false);
    for (std::size_t i = 0; i + 2 < chars.size(); ++i) {
        // A character blanked just before counts as a blank from then on.
        if ((isSpace(i) || blank[i]) && isSpace(i + 2)) {
            blank[i + 1] = true;
        }
    }
    std::string out;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        out += blank[i] ? std::string(" ") : std::string(text.substr(chars[i].pos, chars[i].size));
    }
    return out;
}

// The number of file names (normalised) that contain work; none for a text
// of three characters or fewer, which would match too much.
int CountContaining(const std::vector<std::string>& names, const std::string& work) {
    if (CharCount(work) <= 3) {
        return 0;
    }
    int count = 0;
    for (const std::string& name : names) {
        count += name.find(work) != std::string::npos ? 1 : 0;
    }
    return count;
}

// The longest run of words, starting from the first file name long enough,
// that at least `needed` normalised names contain; " " when there is none.
std::string CommonText(const std::vector<std::string>& names, std::string a, int needed) {
    std::string work = a;
    while (true) {
        work = TrimSpaces(work);
        if (CountContaining(names, work) >= needed) {
            return work;
        }
        const std::size_t lastSpace = work.rfind(' ');
        if (lastSpace != std::string::npos) {
            work.resize(lastSpace);
            continue;
        }
        const std::size_t firstSpace = a.find(' ');
        if (firstSpace == std::string::npos) {
            return " ";
        }
        a = a.substr(firstSpace + 1);
        work = a;
    }
}

}  // namespace

std::string NormalizeKeywords(std::string_view text, bool dropNoise) {
    std::string out = ToUpperUtf8(text);
    for (char& c : out) {
        if (c != '\0' && std::strchr("-*_.[]()'~:;@#&/", c) != nullptr) {
            c = ' ';
        }
    }
    out = ReplaceAll(StripAccentedCapitals(out), "  ", " ");
    if (dropNoise) {
        out = ReplaceAll(ReplaceAll(out, "TRACK", ""), ".MP3", "");
        std::erase_if(out, [](char c) { return c >= '0' && c <= '9'; });
    }
    return TrimSpaces(out);
}

AlbumTags LastAlbumTags(const TrackList& files) {
    AlbumTags tags;
    for (const TrackInfo& file : files) {
        if (!file.artist.empty()) {
            tags.artist = file.artist;
        }
        if (!file.album.empty()) {
            tags.album = file.album;
        }
    }
    return tags;
}

std::string BuildSearchWords(const TrackList& files, int percent) {
    // 0.01 in single precision is a little below 0.01, so 100 per cent of 12
    // files asks for 11 of them.
    const int needed = static_cast<int>(static_cast<double>(files.size()) *
                                        (percent * static_cast<double>(0.01f)));
    std::vector<std::string> names;
    names.reserve(files.size());
    for (const TrackInfo& file : files) {
        names.push_back(NormalizeKeywords(file.fileName, true));
    }

    std::string common;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (common.empty() && CharCount(names[i]) >= 3) {
            common = CommonText(names, names[i], needed);
        }
    }

    const AlbumTags tags = LastAlbumTags(files);
    std::string result = tags.artist;
    if (!tags.album.empty()) {
        result = TrimLeftSpaces(result + " " + tags.album);
    }
    if (result.empty() && CharCount(common) > 3) {
        result = TrimLeftSpaces(result + " " + common);
    }
    result = BlankIsolatedChars(NormalizeKeywords(result, true));
    return ReplaceAll(result, "   ", " ");
}

bool SearchWordsUsable(std::string_view words) {
    int counted = 0;
    for (char c : words) {
        const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        const bool ignored = c != '\0' && std::strchr(" -)(_+", c) != nullptr;
        counted += continuation || ignored ? 0 : 1;
    }
    return counted >= 3;
}

std::string SearchWordsQuery(std::string_view words) {
    const std::string joined =
        ReplaceAll(ReplaceAll(NormalizeKeywords(words, false), " ", "+"), "++", "+");
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string query;
    for (char c : joined) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '+';
        if (plain) {
            query += c;
        } else {
            query += '%';
            query += kHex[byte >> 4];
            query += kHex[byte & 0x0F];
        }
    }
    return query;
}

std::string KeywordSearchAddress(std::string_view webHost, std::string_view words) {
    return "http://" + std::string(webHost) +
           "/freedb_search.php?words=" + SearchWordsQuery(words) +
           "&allfields=NO&fields=artist&fields=title&allcats=YES&grouping=none";
}

std::uint32_t ParseNumber(std::string_view text, std::size_t n, int base) {
    static constexpr std::string_view kDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::string_view digits =
        kDigits.substr(0, static_cast<std::size_t>(base < 0 ? 0 : (base > 36 ? 36 : base)));
    std::uint32_t value = 0;
    for (char c : text.substr(0, n)) {
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        const std::size_t digit = digits.find(upper);
        if (digit != std::string_view::npos) {
            value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
        }
    }
    return value;
}

}  // namespace corvane
