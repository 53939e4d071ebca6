#include "cli/MusicBrainzQuery.h"

#include <cstdio>

#include "musicbrainz/MusicBrainzClient.h"
#include "musicbrainz/ReleaseRecord.h"
#include "platform/Json.h"

namespace corvane::cli {

namespace {

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// One line per release: control characters would break it.
std::string Cell(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    return text;
}

void PrintJson(const std::string& discId, const DiscToc& toc, const MbAnswer& answer) {
    JsonWriter out(true);
    out.BeginObject().Key("discId").String(discId).Key("toc").BeginCompactArray();
    out.Int(toc.firstTrack).Int(toc.lastTrack).Int(toc.leadOut);
    for (const std::int32_t offset : toc.offsets) {
        out.Int(offset);
    }
    out.EndArray().Key("exact").Bool(!answer.discId.empty()).Key("releases").BeginArray();
    for (const MbRelease& release : answer.releases) {
        out.BeginObject()
            .Key("id")
            .String(release.id)
            .Key("artist")
            .String(release.artist)
            .Key("title")
            .String(release.title)
            .Key("date")
            .String(release.date)
            .Key("country")
            .String(release.country)
            .Key("line")
            .String(ReleaseLine(release))
            .EndObject();
    }
    out.EndArray().EndObject();
    Print(out.Text() + "\n");
}

// Before the request, so that a failed one still shows what was asked.
void PrintDisc(const std::string& discId, const DiscToc& toc) {
    std::string table = TocParameter(toc);
    for (char& c : table) {
        c = c == '+' ? ' ' : c;
    }
    Print("MusicBrainz DISC ID = " + discId + "\nTOC = " + table + "\n");
    std::fflush(stdout);
}

void PrintReleases(const MbAnswer& answer) {
    std::string text;
    if (answer.releases.empty()) {
        text += "No release.\n";
    } else if (answer.discId.empty()) {
        text += "Releases of similar track lengths (the disc id is unknown):\n";
    }
    for (const MbRelease& release : answer.releases) {
        text += release.id + "\t" + Cell(ReleaseLine(release)) + "\n";
    }
    Print(text);
}

}  // namespace

int RunMusicBrainzQuery(const OffsetList& offsets, const MusicBrainzQueryOptions& options) {
    const DiscToc toc = TocFromOffsets(offsets);
    const std::string discId =
        options.taggedDiscId.empty() ? MusicBrainzDiscId(toc) : options.taggedDiscId;
    if (discId.empty()) {
        std::fprintf(stderr, "These files make no disc that MusicBrainz can look up.\n");
        return 1;
    }
    SteadyRequestClock clock;
    MusicBrainzClient client(clock);
    client.Configure(options.server, options.contact, options.proxy);
    if (!options.json) {
        PrintDisc(discId, toc);
    }
    const MbLookup lookup = client.Lookup(toc, discId);
    if (lookup.status == MbLookupStatus::kFailed) {
        std::fprintf(stderr, "MusicBrainz lookup failed. %s\n", lookup.errorText.c_str());
        return 1;
    }
    if (options.json) {
        PrintJson(discId, toc, lookup.answer);
    } else {
        PrintReleases(lookup.answer);
    }
    return 0;
}

}  // namespace corvane::cli
