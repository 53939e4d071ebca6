#include "library/DiscMarker.h"

#include <cctype>
#include <string_view>

namespace corvane {

namespace {

constexpr std::string_view kDiscWords[] = {"disc", "disk", "cd"};

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) {
            return false;
        }
    }
    return true;
}

// Where a marker ("Disc 2") that ends at end starts, or npos; number is its number.
std::size_t MarkerStart(std::string_view text, int& number) {
    std::size_t pos = text.size();
    while (pos > 0 && IsDigit(text[pos - 1])) {
        --pos;
    }
    const std::size_t digits = text.size() - pos;
    if (digits == 0 || digits > 3) {
        return std::string_view::npos;
    }
    number = std::stoi(std::string(text.substr(pos)));
    if (pos > 0 && (text[pos - 1] == ' ' || text[pos - 1] == '_' || text[pos - 1] == '-')) {
        --pos;
    }
    for (std::string_view word : kDiscWords) {
        if (pos >= word.size() &&
            EqualsIgnoringCase(text.substr(pos - word.size(), word.size()), word)) {
            const std::size_t start = pos - word.size();
            // "ABCD1" is no marker: the word stands on its own.
            if (start == 0 || !std::isalnum(static_cast<unsigned char>(text[start - 1]))) {
                return number > 0 ? start : std::string_view::npos;
            }
        }
    }
    return std::string_view::npos;
}

std::string_view TrimEnd(std::string_view text, std::string_view characters) {
    while (!text.empty() && characters.find(text.back()) != std::string_view::npos) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

int DiscFolderNumber(const std::string& name) {
    int number = 0;
    return MarkerStart(name, number) == 0 ? number : 0;
}

std::string StripDiscMarker(const std::string& text, int& number) {
    number = 0;
    std::string_view rest = TrimEnd(text, " ");
    const bool bracketed = !rest.empty() && (rest.back() == ')' || rest.back() == ']');
    if (bracketed) {
        const char open = rest.back() == ')' ? '(' : '[';
        const std::size_t start = rest.rfind(open);
        if (start == std::string_view::npos) {
            return text;
        }
        const std::string inner(TrimEnd(rest.substr(start + 1, rest.size() - start - 2), " "));
        if (DiscFolderNumber(inner) == 0) {
            return text;
        }
        number = DiscFolderNumber(inner);
        rest = rest.substr(0, start);
    } else {
        int found = 0;
        const std::size_t start = MarkerStart(rest, found);
        if (start == std::string_view::npos || start == 0) {
            return text;
        }
        number = found;
        rest = rest.substr(0, start);
    }
    rest = TrimEnd(rest, " -_,:");
    if (rest.empty()) {
        number = 0;
        return text;
    }
    return std::string(rest);
}

}  // namespace corvane
