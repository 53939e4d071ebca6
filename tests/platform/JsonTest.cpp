#include "platform/Json.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "platform/Utf8.h"

namespace corvane {
namespace {

// Brackets count outside strings only; an escaped quote does not end one.
TEST(JsonNestsDeeperThan, CountsTheBracketsOutsideStrings) {
    const struct {
        const char* text;
        bool deeper;  // than 2
    } cases[] = {
        {R"({"a":[1,{"b":2}]})", true}, {R"({"a":[1,2],"b":{}})", false},
        {R"(["[[[[", "{{{"])", false},  {R"(["\"[[[["])", false},
        {R"(["\\"[[[["])", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonNestsDeeperThan(c.text, 2), c.deeper) << c.text;
    }
}

TEST(JsonQuote, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(JsonQuote("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(JsonQuote("line\nnext\ttab\r"), R"("line\nnext\ttab\r")");
    EXPECT_EQ(JsonQuote(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\x7f\"");
    EXPECT_EQ(JsonQuote(std::string("a\0b", 3)), R"("a\u0000b")");
}

TEST(JsonQuote, KeepsValidUtf8AndEscapesStrayBytesAsLatin1) {
    EXPECT_EQ(JsonQuote("Café – 日本 🎵"), "\"Café – 日本 🎵\"");
    // "Caf\xe9.mp3" is a Latin-1 name on disk: é comes out as \u00e9.
    EXPECT_EQ(JsonQuote("Caf\xe9.mp3"), R"("Caf\u00e9.mp3")");
    // A truncated sequence and a lone continuation byte.
    EXPECT_EQ(JsonQuote("\xe6\x97"), R"("\u00e6\u0097")");
    EXPECT_EQ(JsonQuote("x\x80y"), R"("x\u0080y")");
    // Overlong and surrogate encodings are not valid UTF-8 either.
    EXPECT_EQ(JsonQuote("\xc0\xaf"), R"("\u00c0\u00af")");
    EXPECT_EQ(JsonQuote("\xed\xa0\x80"), R"("\u00ed\u00a0\u0080")");
}

TEST(JsonQuote, AnyBytesGiveValidUtf8WithoutRawControlCharacters) {
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 24, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() % 256);
        }
        const std::string quoted = JsonQuote(bytes);
        ASSERT_TRUE(IsValidUtf8(quoted));
        for (char c : quoted) {
            ASSERT_GE(static_cast<unsigned char>(c), 0x20);
        }
    }
}

// Compact and pretty output; compact arrays stay on one line in the pretty
// form; doubles round-trip and non-finite ones become null.
TEST(JsonWriter, CompactAndPrettyDocuments) {
    JsonWriter w;
    w.BeginObject().Key("name").String("x").Key("list").BeginArray();
    w.Int(-3).UInt(4000000000u).Bool(true).Null();
    w.BeginArray().EndArray().BeginObject().EndObject();
    w.Double(224.61333333333334).Double(200.0).Double(std::numeric_limits<double>::infinity());
    w.Double(std::numeric_limits<double>::quiet_NaN()).EndArray().EndObject();
    EXPECT_EQ(w.Text(), R"({"name":"x","list":[-3,4000000000,true,null,[],{},)"
                        R"(224.61333333333334,200,null,null]})");

    JsonWriter pretty(true);
    pretty.BeginObject().Key("a").BeginArray().Int(1).EndArray().Key("b").String("");
    pretty.Key("offsets").BeginArray();
    pretty.BeginCompactArray().Int(0).Int(2).Int(0).EndArray();
    pretty.BeginCompactArray().EndArray();
    pretty.EndArray().EndObject();
    EXPECT_EQ(pretty.Text(),
              "{\n  \"a\": [\n    1\n  ],\n  \"b\": \"\",\n"
              "  \"offsets\": [\n    [0, 2, 0],\n    []\n  ]\n}");
}

}  // namespace
}  // namespace corvane
