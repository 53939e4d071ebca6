#include <gtest/gtest.h>

#include "cddb/AnswerText.h"
#include "cddb/Base64.h"
#include "cddb/CddbText.h"

namespace corvane {
namespace {

constexpr auto kNone = std::string_view::npos;

TEST(AnswerText, FindBodyIsAfterTheFirstEmptyLine) {
    EXPECT_EQ(FindBody("HTTP/1.0 200 OK\r\nA: b\r\n\r\n200 x"), 25u);
    EXPECT_EQ(FindBody("HTTP/1.0 200 OK\r\n\n200"), kNone);
    EXPECT_EQ(FindBody(""), kNone);
}

TEST(AnswerText, SkipFirstLinePrefersCrLfThenLf) {
    EXPECT_EQ(SkipFirstLine("210 ok\r\nx"), 8u);
    EXPECT_EQ(SkipFirstLine("210 ok\nx"), 7u);
    // A CR LF anywhere wins over an earlier lone LF.
    EXPECT_EQ(SkipFirstLine("a\nbc\r\nd"), 6u);
    EXPECT_EQ(SkipFirstLine("no break"), kNone);
}

TEST(AnswerText, CutLineSplitsAtTheFirstBreak) {
    std::string_view line;
    EXPECT_EQ(CutLine("one\r\ntwo", line), 5u);
    EXPECT_EQ(line, "one");
    EXPECT_EQ(CutLine("one\ntwo", line), 4u);
    EXPECT_EQ(line, "one");
    EXPECT_EQ(CutLine("\r\n", line), 2u);
    EXPECT_EQ(line, "");
    EXPECT_EQ(CutLine("", line), kNone);
    EXPECT_EQ(CutLine("last", line), kNone);
}

TEST(AnswerText, ForEachLineVisitsTheUnterminatedLastLine) {
    std::vector<std::string> lines;
    ForEachLine("a\r\n\r\nb\r\nc", [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b", "c"}));
    lines.clear();
    ForEachLine("a\r\n", [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, (std::vector<std::string>{"a"}));
}

TEST(AnswerText, StatusCodeReadsThreeCharacters) {
    EXPECT_EQ(StatusCode("210 ok"), 210);
    EXPECT_EQ(StatusCode("2021"), 202);
    EXPECT_EQ(StatusCode("20"), -1);
    EXPECT_EQ(StatusCode("abc"), 0);
}

TEST(AnswerText, LeadingNumbersSaturateInsteadOfOverflowing) {
    EXPECT_EQ(LeadingInt("  42abc"), 42);
    EXPECT_EQ(LeadingInt("-7"), -7);
    EXPECT_EQ(LeadingInt("999999999999999999999"), 2147483647);
    EXPECT_EQ(LeadingInt("-999999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(LeadingInt("x1"), 0);
    EXPECT_EQ(LeadingHex("a50c5c0d,a50c5c0e"), 0xa50c5c0du);
    EXPECT_EQ(LeadingHex("fffffffffff"), 0xffffffffu);
    EXPECT_EQ(LeadingHex("zz"), 0u);
}

TEST(Base64, MatchesTheRfc4648Vectors) {
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Encode("f"), "Zg==");
    EXPECT_EQ(Base64Encode("fo"), "Zm8=");
    EXPECT_EQ(Base64Encode("foo"), "Zm9v");
    EXPECT_EQ(Base64Encode("foob"), "Zm9vYg==");
    EXPECT_EQ(Base64Encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
}

TEST(Base64, TakesBytesAsUnsignedAndNeverBreaksLines) {
    EXPECT_EQ(Base64Encode(std::string("\xff\xfe\x00", 3)), "//4A");
    const std::string credentials(120, 'x');
    const std::string encoded = Base64Encode(credentials);
    EXPECT_EQ(encoded.size(), 160u);
    EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
    for (size_t length = 0; length < 300; ++length) {
        EXPECT_GE(Base64BufferSize(length), Base64Encode(std::string(length, 'a')).size() + 1);
    }
}

TEST(CddbText, AnswersAreDecodedByProtocolLevel) {
    EXPECT_EQ(DecodeAnswer("Bj\xf6rk", 5), "Bj\xc3\xb6rk");
    EXPECT_EQ(DecodeAnswer("Bj\xc3\xb6rk", 6), "Bj\xc3\xb6rk");
    // Level 6 from a server that still sends Latin-1: nothing is lost.
    EXPECT_EQ(DecodeAnswer("Bj\xf6rk", 6), "Bj\xc3\xb6rk");
}

TEST(CddbText, WordsAreUrlEncodedForTheLevel) {
    EXPECT_EQ(UrlEncodeWord("rock", 5), "rock");
    EXPECT_EQ(UrlEncodeWord("a b&c=d+e", 5), "a+b%26c%3Dd%2Be");
    EXPECT_EQ(UrlEncodeWord("\xc3\xb6", 5), "%F6");
    EXPECT_EQ(UrlEncodeWord("\xc3\xb6", 6), "%C3%B6");
}

TEST(CddbText, HelloWordsKeepOnlyAsciiLettersAndDigits) {
    EXPECT_EQ(FilterHelloWord("J. Doe"), "J__Doe");
    // One "_" per character, not per byte.
    EXPECT_EQ(FilterHelloWord("Jos\xc3\xa9"), "Jos_");
    EXPECT_EQ(FilterHelloWord("j.doe+x", ".-_"), "j.doe_x");
}

}  // namespace
}  // namespace corvane
