#include "cli/SoundQuery.h"

#include <cstdio>

#include "acoustid/AcoustIdClient.h"
#include "acoustid/AlbumChoice.h"
#include "acoustid/FolderFingerprints.h"
#include "lookup/ServerList.h"
#include "platform/Json.h"

namespace corvane::cli {

namespace {

void PrintChoices(const std::vector<ReleaseChoice>& choices, std::size_t files, bool asJson) {
    if (asJson) {
        JsonWriter json(true);
        json.BeginObject().Key("acoustid").BeginArray();
        for (const ReleaseChoice& c : choices) {
            json.BeginObject()
                .Key("releaseId")
                .String(c.releaseId)
                .Key("title")
                .String(c.title)
                .Key("date")
                .Int(c.date)
                .Key("medium")
                .Int(c.medium)
                .Key("filesHeld")
                .Int(c.filesHeld)
                .Key("trackCountFits")
                .Bool(c.countFits)
                .EndObject();
        }
        std::printf("%s\n", json.EndArray().EndObject().Text().c_str());
        return;
    }
    if (choices.empty()) {
        std::printf("No album holds most of these files by their sound.\n");
    }
    for (const ReleaseChoice& c : choices) {
        std::printf("%s\t%s\t%d of %zu files\n", c.releaseId.c_str(), c.title.c_str(), c.filesHeld,
                    files);
    }
}

}  // namespace

int RunSoundQuery(const AlbumFolder& album, const CddbOptions& options) {
    std::vector<std::string> paths;
    for (const TrackInfo& file : album.files) {
        paths.push_back(file.filePath);
    }
    const std::vector<FileFingerprint> prints =
        FingerprintFiles(paths, [] { return ComponentLoader().LoadMp3Info(); });
    SteadyRequestClock clock;
    AcoustIdClient client(clock);
    FetchProxy proxy;
    if (options.proxy) {
        const CddbServerAddress address = ParseCddbServer(*options.proxy);
        proxy.host = address.host;
        proxy.port = address.port;
    }
    client.Configure(options.acoustid.server.value_or(""), options.acoustid.key.value_or(""),
                     proxy);
    std::vector<AidAnswer> answers(prints.size());
    for (std::size_t i = 0; i < prints.size(); ++i) {
        if (!prints[i].ok) {
            std::fprintf(stderr, "%s: the file cannot be decoded\n",
                         album.files[i].fileName.c_str());
            continue;
        }
        const AidLookup lookup = client.Lookup(prints[i].fingerprint, prints[i].seconds);
        if (lookup.status == AidLookupStatus::kFailed) {
            std::fprintf(stderr, "AcoustID lookup failed. %s\n", lookup.errorText.c_str());
            return 1;
        }
        answers[i] = lookup.answer;
    }
    PrintChoices(ChooseReleases(answers), answers.size(), options.json);
    return 0;
}

}  // namespace corvane::cli
