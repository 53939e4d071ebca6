#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// Text operations over a CDDB answer. Positions are offsets into the same
// text; std::string_view::npos stands for "none".

// Just after the first "\r\n\r\n" (the end of the HTTP header block).
std::size_t FindBody(std::string_view text);
// Just after the first "\r\n"; else just after the first "\n".
std::size_t SkipFirstLine(std::string_view text);
// Splits off the line before the first "\r\n" (else the first "\n") into
// line and returns the position after the break; npos when the text is empty
// or has no line break.
std::size_t CutLine(std::string_view text, std::string_view& line);
// The first three characters read as a decimal number; -1 when the text is
// shorter than three characters.
int StatusCode(std::string_view text);

// A server's answer as one readable line: the HTTP body's lines (the
// status line when there is no body) joined by " | ", cut with "..." after
// maxChars.
std::string OneLineAnswer(std::string_view answer, std::size_t maxChars = 160);

// Calls visit(line) for each line of text in order, the last one included
// even without a line break after it.
template <typename Visit>
void ForEachLine(std::string_view text, Visit&& visit) {
    while (!text.empty()) {
        std::string_view line;
        const std::size_t next = CutLine(text, line);
        if (next == std::string_view::npos) {
            visit(text);
            return;
        }
        visit(line);
        text.remove_prefix(next);
    }
}

// The leading-number readers of the answer parsers: leading white space and
// a sign are skipped, reading stops at the first other character, and a value
// out of range saturates instead of overflowing. No digits gives 0.
std::int32_t LeadingInt(std::string_view text);
// Hexadecimal, without sign; saturates at 0xffffffff.
std::uint32_t LeadingHex(std::string_view text);

// Without leading and trailing blanks, tabs and line breaks.
std::string_view TrimBlanks(std::string_view text);

}  // namespace corvane
