#include "platform/Json.h"

#include <charconv>
#include <cmath>

#include "platform/EscapedText.h"

namespace corvane {

namespace {

// A stray byte is read as ISO-8859-1; DEL may stand as it is in JSON.
void AppendJsonByte(std::string& out, unsigned char byte) {
    static const char kHex[] = "0123456789abcdef";
    switch (byte) {
        case '\b':
            out += "\\b";
            return;
        case '\f':
            out += "\\f";
            return;
        case 0x7F:
            out += static_cast<char>(byte);
            return;
        default:
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
    }
}

}  // namespace

bool JsonNestsDeeperThan(std::string_view text, int maxDepth) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;  // the escaped character cannot end the string
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth) {
                return true;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    AppendEscapedText(out, text, AppendJsonByte);
    out += '"';
}

std::string JsonQuote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    AppendJsonString(out, text);
    return out;
}

void JsonWriter::NewLine() {
    const bool compact = !levels_.empty() && levels_.back().compact;
    if (pretty_ && !compact) {
        out_ += '\n';
        out_.append(levels_.size() * 2, ' ');
    }
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty()) {
        return;
    }
    Level& level = levels_.back();
    if (!level.empty) {
        out_ += ',';
        if (pretty_ && level.compact) {
            out_ += ' ';
        }
    }
    level.empty = false;
    NewLine();
}

void JsonWriter::Open(char bracket, bool isObject, bool compact) {
    BeforeValue();
    out_ += bracket;
    const bool insideCompact = !levels_.empty() && levels_.back().compact;
    levels_.push_back({isObject, true, compact || insideCompact});
}

void JsonWriter::Close(char bracket) {
    if (levels_.empty()) {
        return;
    }
    const bool empty = levels_.back().empty;
    const bool compact = levels_.back().compact;
    levels_.pop_back();
    afterKey_ = false;
    if (!empty && !compact) {
        NewLine();
    }
    out_ += bracket;
}

JsonWriter& JsonWriter::BeginObject() {
    Open('{', true, false);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    Close('}');
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    Open('[', false, false);
    return *this;
}

JsonWriter& JsonWriter::BeginCompactArray() {
    Open('[', false, true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    Close(']');
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
    BeforeValue();
    AppendJsonString(out_, name);
    out_ += pretty_ ? ": " : ":";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
    BeforeValue();
    AppendJsonString(out_, value);
    return *this;
}

JsonWriter& JsonWriter::Int(std::int64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::UInt(std::uint64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Double(double value) {
    BeforeValue();
    if (!std::isfinite(value)) {
        out_ += "null";
        return *this;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, result.ptr);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
    return *this;
}

}  // namespace corvane
