// The Cover Art Archive client: what each answer means, and a server that
// never answers.
#include "musicbrainz/CoverArtClient.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane {
namespace {

const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0", 4) + "jpeg";
const std::string kPng = std::string("\x89PNG\r\n\x1A\n", 8) + "png";

TEST(CoverArt, UrlsAndAnswers) {
    EXPECT_EQ(CoverArtUrl("http://h/", "r-1", "500"), "http://h/release/r-1/front-500");
    EXPECT_EQ(CoverArtUrl("http://h", "r-1", "full"), "http://h/release/r-1/front");
    struct Case {
        FetchResult answer;
        CoverFetchStatus status;
        std::string mime;
    };
    const Case cases[] = {
        {{true, 200, kJpeg, ""}, CoverFetchStatus::kFound, "image/jpeg"},
        {{true, 200, kPng, ""}, CoverFetchStatus::kFound, "image/png"},
        {{true, 404, "Not found", ""}, CoverFetchStatus::kNone, ""},
        {{true, 503, kJpeg, ""}, CoverFetchStatus::kFailed, ""},
        {{true, 200, "<html>", ""}, CoverFetchStatus::kFailed, ""},
        {{false, 0, "", "Timeout was reached"}, CoverFetchStatus::kFailed, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.httpStatus);
        const CoverFetch cover = CoverFromAnswer(c.answer);
        EXPECT_EQ(cover.status, c.status);
        EXPECT_EQ(cover.mime, c.mime);
        EXPECT_EQ(cover.bytes.empty(), c.status != CoverFetchStatus::kFound);
        EXPECT_EQ(cover.errorText.empty(), c.status != CoverFetchStatus::kFailed);
    }
}

// The connection is taken (the kernel's backlog) but nothing is ever sent.
TEST(CoverArt, AServerThatNeverAnswersGivesNoCoverWithinTheLimit) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string url =
        CoverArtUrl("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)), "r-1", "500");
    const CoverFetch cover = FetchFrontCover(url, "test", {}, 1);
    ::close(listener);
    EXPECT_EQ(cover.status, CoverFetchStatus::kFailed);
    EXPECT_FALSE(cover.errorText.empty());
}

}  // namespace
}  // namespace corvane
