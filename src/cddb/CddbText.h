#pragma once

#include <string>
#include <string_view>

namespace corvane {

// Text as it enters and leaves the CDDB client: answers arrive in ISO-8859-1
// below protocol level 6 and in UTF-8 from level 6; inside, all is UTF-8.

// The answer bytes as UTF-8. At level 6 and above an answer that is not valid
// UTF-8 (a server still sending Latin-1) is read as ISO-8859-1 instead, so
// that no byte is lost.
std::string DecodeAnswer(std::string_view raw, int protocolLevel);

// One word of a command or the hello, for the query string: letters, digits
// and "-._~" stay, a space becomes "+", every other byte "%XX". Below level 6
// the text is sent in ISO-8859-1.
std::string UrlEncodeWord(std::string_view utf8, int protocolLevel);

// Each character (code point) that is not an ASCII letter or digit, nor one
// of extra, becomes "_".
std::string FilterHelloWord(std::string_view utf8, std::string_view extra = {});

}  // namespace corvane
