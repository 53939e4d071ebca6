#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// Makes a text usable as one file or directory name: \ / : * ? % < > | and
// control characters become "_", the double quote becomes "'". A leading "."
// becomes "_" as well, so the result is never a hidden file. Nothing else is
// touched and the text is not shortened.
std::string ReplaceIllegalChars(std::string_view text);

// Cuts text to at most maxBytes bytes, at a UTF-8 character boundary.
std::string LimitBytes(std::string_view text, std::size_t maxBytes);

}  // namespace corvane
