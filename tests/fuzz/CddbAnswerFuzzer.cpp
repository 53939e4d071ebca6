// libFuzzer target: every parser that reads text from a CDDB server.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cddb/AnswerText.h"
#include "cddb/CddbAnswers.h"
#include "cddb/CddbText.h"
#include "cddb/XmcdRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    for (const int level : {5, 6}) {
        // As the client sees it: decoded by level, the body after the headers.
        const std::string text = corvane::DecodeAnswer(raw, level);
        const std::size_t bodyAt = corvane::FindBody(text);
        const std::string_view body = bodyAt == std::string_view::npos
                                          ? std::string_view(text)
                                          : std::string_view(text).substr(bodyAt);

        corvane::DiscRecord record;
        if (corvane::ParseXmcdRecord(body, record)) {
            // A parsed record never holds more entries than the index limit.
            if (record.trackTitles.size() > corvane::kMaxTrackIndex + 1 ||
                record.trackTitles.size() != record.trackExtended.size()) {
                __builtin_trap();
            }
        }
        std::vector<corvane::DiscMatch> matches;
        corvane::ParseQueryAnswer(body, matches);
        corvane::ParseSearchAnswer(body, matches);
        std::vector<corvane::CddbSite> sites;
        corvane::ParseSitesAnswer(body, sites);
        corvane::ForEachLine(body, [](std::string_view line) {
            corvane::CddbSite site;
            corvane::ParseSiteLine(line, site);
            corvane::DiscMatch match;
            corvane::ParseMatchLine(line, match);
        });
        std::string motd;
        corvane::ParseMotdAnswer(body, motd);
    }
    return 0;
}
