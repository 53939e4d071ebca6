#include "cddb/AnswerText.h"

#include <algorithm>
#include <limits>

namespace corvane {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::size_t FindBody(std::string_view text) {
    const std::size_t at = text.find("\r\n\r\n");
    return at == kNone ? kNone : at + 4;
}

std::size_t SkipFirstLine(std::string_view text) {
    std::size_t at = text.find("\r\n");
    if (at != kNone) {
        return at + 2;
    }
    at = text.find('\n');
    return at == kNone ? kNone : at + 1;
}

std::size_t CutLine(std::string_view text, std::string_view& line) {
    if (text.empty()) {
        return kNone;
    }
    std::size_t at = text.find("\r\n");
    std::size_t breakLength = 2;
    if (at == kNone) {
        at = text.find('\n');
        breakLength = 1;
    }
    if (at == kNone) {
        return kNone;
    }
    line = text.substr(0, at);
    return at + breakLength;
}

int StatusCode(std::string_view text) {
    if (text.size() < 3) {
        return -1;
    }
    return LeadingInt(text.substr(0, 3));
}

std::int32_t LeadingInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(value * 10 + (text[i] - '0'), kLimit + 1);
    }
    if (negative) {
        return static_cast<std::int32_t>(-value);
    }
    return static_cast<std::int32_t>(std::min(value, kLimit));
}

std::uint32_t LeadingHex(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    std::uint64_t value = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        value = std::min<std::uint64_t>(value * 16 + static_cast<unsigned>(HexDigit(text[i])),
                                        0xffffffffULL);
    }
    return static_cast<std::uint32_t>(value);
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string OneLineAnswer(std::string_view answer, std::size_t maxChars) {
    if (answer.substr(0, 5) == "HTTP/") {
        const std::size_t body = FindBody(answer);
        answer = body != std::string_view::npos && body < answer.size()
                     ? answer.substr(body)
                     : answer.substr(0, answer.find_first_of("\r\n"));
    }
    std::string line;
    ForEachLine(answer, [&](std::string_view part) {
        if (part.find_first_not_of(" \r") != std::string_view::npos) {
            line += (line.empty() ? "" : " | ") + std::string(part);
        }
    });
    if (line.size() > maxChars) {
        std::size_t cut = maxChars;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
            --cut;  // never half a UTF-8 character
        }
        line = line.substr(0, cut) + "...";
    }
    return line;
}

}  // namespace corvane
