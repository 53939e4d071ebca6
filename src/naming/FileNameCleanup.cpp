#include "naming/FileNameCleanup.h"

#include <cstring>

namespace corvane {

std::string ReplaceIllegalChars(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"') {
            c = '\'';
        } else if (byte < 0x20 || byte == 0x7F || std::strchr("\\/:*?%<>|", c) != nullptr) {
            c = '_';
        }
    }
    if (!out.empty() && out[0] == '.') {
        out[0] = '_';
    }
    return out;
}

std::string LimitBytes(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return std::string(text);
    }
    std::size_t cut = maxBytes;
    // Step back over at most three continuation bytes to the start of the
    // character that would be split.
    for (int i = 0; i < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80;
         ++i) {
        --cut;
    }
    return std::string(text.substr(0, cut));
}

}  // namespace corvane
