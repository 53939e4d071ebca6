#include <gtest/gtest.h>

#include "cddb/AnswerText.h"
#include "cddb/Base64.h"
#include "cddb/CddbText.h"
#include "support/CaseTable.h"

namespace corvane {
namespace {

constexpr auto kNone = std::string_view::npos;

TEST(AnswerText, BodyAndLineBreaks) {
    EXPECT_EQ(FindBody("HTTP/1.0 200 OK\r\nA: b\r\n\r\n200 x"), 25u);
    EXPECT_EQ(FindBody("HTTP/1.0 200 OK\r\n\n200"), kNone);
    EXPECT_EQ(SkipFirstLine("210 ok\nx"), 7u);
    // A CR LF anywhere wins over an earlier lone LF.
    EXPECT_EQ(SkipFirstLine("a\nbc\r\nd"), 6u);
    EXPECT_EQ(SkipFirstLine("no break"), kNone);
    // Numbers saturate instead of overflowing.
    EXPECT_EQ(StatusCode("2021"), 202);
    EXPECT_EQ(StatusCode("20"), -1);
    EXPECT_EQ(StatusCode("abc"), 0);
    EXPECT_EQ(LeadingInt("  42abc"), 42);
    EXPECT_EQ(LeadingInt("999999999999999999999"), 2147483647);
    EXPECT_EQ(LeadingInt("-999999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(LeadingHex("a50c5c0d,a50c5c0e"), 0xa50c5c0du);
    EXPECT_EQ(LeadingHex("fffffffffff"), 0xffffffffu);
}

TEST(Base64, MatchesTheRfc4648VectorsAndNeverBreaksLines) {
    test::ExpectTable([](const std::string& plain) { return Base64Encode(plain); },
                      {{"", ""},
                       {"f", "Zg=="},
                       {"fo", "Zm8="},
                       {"foo", "Zm9v"},
                       {"foob", "Zm9vYg=="},
                       {"fooba", "Zm9vYmE="},
                       {"foobar", "Zm9vYmFy"}});
    EXPECT_EQ(Base64Encode(std::string("\xff\xfe\x00", 3)), "//4A");  // bytes are unsigned
    EXPECT_EQ(Base64Encode(std::string(120, 'x')).find_first_of("\r\n"), std::string::npos);
}

TEST(CddbText, TextIsDecodedAndEncodedByProtocolLevel) {
    EXPECT_EQ(DecodeAnswer("Bj\xf6rk", 5), "Bj\xc3\xb6rk");
    EXPECT_EQ(DecodeAnswer("Bj\xc3\xb6rk", 6), "Bj\xc3\xb6rk");
    // Level 6 from a server that still sends Latin-1: nothing is lost.
    EXPECT_EQ(DecodeAnswer("Bj\xf6rk", 6), "Bj\xc3\xb6rk");
    EXPECT_EQ(UrlEncodeWord("a b&c=d+e", 5), "a+b%26c%3Dd%2Be");
    EXPECT_EQ(UrlEncodeWord("\xc3\xb6 \xe2\x82\xac", 5), "%F6+%3F");  // no € in Latin-1
    EXPECT_EQ(UrlEncodeWord("\xc3\xb6", 6), "%C3%B6");
    // Hello words keep only ASCII letters and digits.
    EXPECT_EQ(FilterHelloWord("J. Doe"), "J__Doe");
    // One "_" per character, not per byte.
    EXPECT_EQ(FilterHelloWord("Jos\xc3\xa9"), "Jos_");
    EXPECT_EQ(FilterHelloWord("j.doe+x", ".-_"), "j.doe_x");
}

}  // namespace
}  // namespace corvane
