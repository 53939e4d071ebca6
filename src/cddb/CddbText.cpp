#include "cddb/CddbText.h"

#include "platform/EscapedText.h"

#include "platform/Utf8.h"

namespace corvane {

namespace {

bool IsAsciiAlnum(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string DecodeAnswer(std::string_view raw, int protocolLevel) {
    if (protocolLevel >= 6 && IsValidUtf8(raw)) {
        return std::string(raw);
    }
    return Latin1ToUtf8(raw);
}

std::string UrlEncodeWord(std::string_view utf8, int protocolLevel) {
    return FormEscaped(protocolLevel >= 6 ? std::string(utf8) : Utf8ToLatin1(utf8));
}

std::string FilterHelloWord(std::string_view utf8, std::string_view extra) {
    std::string out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t c = DecodeUtf8(utf8, pos);
        const bool keep = IsAsciiAlnum(c) || (c < 0x80 && extra.find(char(c)) != extra.npos);
        out += keep ? static_cast<char>(c) : '_';
    }
    return out;
}

}  // namespace corvane
