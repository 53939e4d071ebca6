#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Appends the UTF-8 form of one code point (invalid ones as U+FFFD).
void AppendUtf8(std::string& out, char32_t codePoint);

// Decodes the code point at pos and advances pos past it. A malformed or
// truncated sequence yields U+FFFD and advances by one byte, so every input
// is consumed.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);

bool IsValidUtf8(std::string_view text);

// ISO-8859-1 bytes to UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);

// UTF-8 to ISO-8859-1; characters outside Latin-1 become '?'.
std::string Utf8ToLatin1(std::string_view utf8);

}  // namespace corvane
