#include "cli/CommandLineView.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "platform/MemoryComboBox.h"

namespace corvane::cli {

namespace {

// The window's lookup message points at its button; here the processing
// follows by itself.
constexpr const char* kAlbumFound = "Album found in CDDB.";
constexpr const char* kAlbumFoundInMusicBrainz = "Album found in MusicBrainz.";

void PrintLine(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string CountText(std::size_t count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::string MatchLine(const DiscMatch& match) {
    char id[16];
    std::snprintf(id, sizeof id, "%08x", static_cast<unsigned>(match.discId));
    return match.artist + " / " + match.title + " - [" + id + "]";
}

// The matches in the order they are listed and numbered: alphabetically by
// their line, ignoring case, so that --choose N names the same album on every
// run whatever order the server answers in.
std::vector<std::size_t> ListedOrder(const std::vector<DiscMatch>& matches) {
    std::vector<std::size_t> order(matches.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        // The same album in two categories differs only there.
        const int order = CompareNoCase(MatchLine(matches[a]), MatchLine(matches[b]));
        return order != 0 ? order < 0 : matches[a].category < matches[b].category;
    });
    return order;
}

}  // namespace

void CommandLineView::AddStatus(const std::string& text) {
    std::string line = text;
    for (const char* found : {kAlbumFound, kAlbumFoundInMusicBrainz}) {
        if (text.rfind(found, 0) == 0) {
            line = found;
        }
    }
    if (line == lastStatus_) {
        return;
    }
    lastStatus_ = line;
    PrintLine(line);
}

bool CommandLineView::ChooseLine(const std::vector<std::string>& lines, const std::string& heading,
                                 const char* what, std::size_t& chosen) {
    if (choice_ >= 1 && static_cast<std::size_t>(choice_) <= lines.size()) {
        chosen = static_cast<std::size_t>(choice_ - 1);
        AddStatus("Chosen: " + lines[chosen]);
        return true;
    }
    AddStatus(heading);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        PrintLine("  " + std::to_string(i + 1) + ". " + lines[i]);
    }
    if (choice_ != 0) {
        AddStatus("There is no " + std::string(what) + " " + std::to_string(choice_) + ".");
    }
    AddStatus("Run again with --choose N to pick one.");
    choiceNeeded_ = true;
    return false;
}

bool CommandLineView::ChooseDisc(const std::vector<DiscMatch>& matches, std::size_t& chosen) {
    const std::vector<std::size_t> order = ListedOrder(matches);
    std::vector<std::string> lines;
    for (const std::size_t index : order) {
        lines.push_back(MatchLine(matches[index]) + " in " + matches[index].category);
    }
    std::size_t listed = 0;
    if (!ChooseLine(lines, CountText(matches.size(), "album") + " match this disc:", "match",
                    listed)) {
        return false;
    }
    chosen = order[listed];
    return true;
}

bool CommandLineView::ChooseRelease(const std::vector<std::string>& lines, std::size_t& chosen) {
    return ChooseLine(lines, CountText(lines.size(), "MusicBrainz release") + " fit these files:",
                      "release", chosen);
}

bool CommandLineView::ChooseSearchResult(const std::vector<SearchResult>& results,
                                         std::size_t& chosen) {
    std::vector<std::string> lines;
    for (const SearchResult& result : results) {
        lines.push_back(SearchResultLine(result) + " in " + result.category);
    }
    return ChooseLine(lines,
                      CountText(results.size(), "album") + " found by the keyword search:", "album",
                      chosen);
}

bool CommandLineView::AskSearchWords(const std::string& proposal, std::string& /*words*/) {
    AddStatus("Run again with --search to look the album up by keywords" +
              (proposal.empty() ? std::string(" (give the words after it).")
                                : " (the words proposed: \"" + proposal + "\")."));
    return false;
}

TrackCountAnswer CommandLineView::AskTrackCount(bool notEnough, bool /*allowNewAlbum*/) {
    const char* text = notEnough ? "Not enough MP3 files: the album has more tracks than "
                                   "the folder has files."
                                 : "Too many MP3 files: the folder has more files than the "
                                   "album has tracks.";
    AddStatus(text);
    if (keepAlbum_) {
        AddStatus(notEnough ? "Keeping the album; its missing tracks are ignored."
                            : "Keeping the album; the files without a track are left as "
                              "they are.");
        return TrackCountAnswer::kKeepAlbum;
    }
    AddStatus("Run again with --keep to keep this album all the same.");
    trackCountRefused_ = true;
    return TrackCountAnswer::kCancelQuery;
}

}  // namespace corvane::cli
