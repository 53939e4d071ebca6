#include "cli/FingerprintCommand.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "acoustid/FolderFingerprints.h"
#include "album/AlbumFolder.h"
#include "cli/Options.h"
#include "platform/Json.h"

namespace corvane::cli {

namespace {

// The folder's MP3 files by name, byte-wise, as the scan lists them.
bool ListMp3Files(const std::string& folder, std::vector<std::string>& names) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return false;
    }
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (IsMp3FileName(name) && entry.is_regular_file(error)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return true;
}

}  // namespace

int RunFingerprint(const Arguments& arguments) {
    ScanOptions options;
    if (!ParseOptions(arguments, options)) {
        std::fprintf(stderr, "usage: corvane-cli %s\n", kFingerprintUsage);
        return 2;
    }
    std::vector<std::string> names;
    if (!ListMp3Files(options.folder, names)) {
        std::fprintf(stderr, "corvane-cli fingerprint: cannot open the folder %s\n",
                     options.folder.c_str());
        return 1;
    }
    ComponentLoader loader;
    if (!loader.LoadMp3Info()) {
        std::fprintf(stderr, "%s\n", loader.Error().c_str());
        return 1;
    }
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        paths.push_back((std::filesystem::path(options.folder) / name).string());
    }
    const std::vector<FileFingerprint> prints =
        FingerprintFiles(paths, [&loader] { return loader.LoadMp3Info(); });
    JsonWriter json(true);
    json.BeginArray();
    int failed = 0;
    for (std::size_t i = 0; i < prints.size(); ++i) {
        if (!prints[i].ok) {
            std::fprintf(stderr, "ERROR: %s: the file cannot be decoded\n", names[i].c_str());
            ++failed;
        } else if (options.json) {
            json.BeginObject()
                .Key("file")
                .String(names[i])
                .Key("duration")
                .Int(prints[i].seconds)
                .Key("fingerprint")
                .String(prints[i].fingerprint)
                .EndObject();
        } else {
            std::printf("%sFILE=%s\nDURATION=%d\nFINGERPRINT=%s\n", i > 0 ? "\n" : "",
                        names[i].c_str(), prints[i].seconds, prints[i].fingerprint.c_str());
        }
    }
    if (options.json) {
        std::printf("%s\n", json.EndArray().Text().c_str());
    }
    return failed == 0 ? 0 : 1;
}

}  // namespace corvane::cli
