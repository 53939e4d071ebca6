#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Appends text to out as a quoted JSON string. Valid UTF-8 passes through;
// quotes, backslashes and control characters are escaped. A byte that is not
// part of valid UTF-8 (a legacy file name, say) is read as ISO-8859-1 and
// written as \u00XX, so the output is always valid JSON and such names stay
// readable in the usual case of Latin-1 names.
void AppendJsonString(std::string& out, std::string_view text);
std::string JsonQuote(std::string_view text);

// Answers nested deeper than this are refused before they are parsed.
inline constexpr int kMaxJsonDepth = 64;

// Whether the brackets of a JSON text (outside its strings) nest deeper than
// maxDepth: one pass and no memory, so that a hostile answer of nested
// brackets is refused before a parser builds a tree of it.
bool JsonNestsDeeperThan(std::string_view text, int maxDepth = kMaxJsonDepth);

// Builds one JSON document. Commas and nesting are handled here; the caller
// only says what comes next. Inside an object, each value is preceded by Key.
class JsonWriter {
public:
    // pretty: one member or element per line, indented by two spaces.
    explicit JsonWriter(bool pretty = false) : pretty_(pretty) {}

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    // An array kept on one line even in pretty output, for short rows of
    // numbers such as [0, 2, 0].
    JsonWriter& BeginCompactArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view name);
    JsonWriter& String(std::string_view value);
    JsonWriter& Int(std::int64_t value);
    JsonWriter& UInt(std::uint64_t value);
    // The shortest text that reads back as the same double; NaN and the
    // infinities, which JSON cannot carry, become null.
    JsonWriter& Double(double value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    const std::string& Text() const { return out_; }

private:
    struct Level {
        bool isObject;
        bool empty;
        bool compact;
    };

    void BeforeValue();
    void Open(char bracket, bool isObject, bool compact);
    void Close(char bracket);
    void NewLine();

    std::string out_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
    bool pretty_;
};

}  // namespace corvane
