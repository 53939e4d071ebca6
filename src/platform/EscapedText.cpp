#include "platform/EscapedText.h"

#include "platform/Utf8.h"

namespace corvane {

void AppendEscapedText(std::string& out, std::string_view text, ByteEscaper escapeByte) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte >= 0x80) {
            const std::size_t start = pos;
            if (DecodeUtf8(text, pos) == kReplacementChar && pos - start == 1) {
                escapeByte(out, byte);
            } else {
                out.append(text.substr(start, pos - start));
            }
            continue;
        }
        ++pos;
        switch (byte) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    escapeByte(out, byte);
                } else {
                    out += static_cast<char>(byte);
                }
        }
    }
}

std::string FormEscaped(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

}  // namespace corvane
