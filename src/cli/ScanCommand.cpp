#include "cli/ScanCommand.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include "album/AlbumFolder.h"
#include "album/DiscIdCalculator.h"
#include "album/TrackListColumns.h"
#include "components/ComponentLoader.h"
#include "platform/FileSystem.h"
#include "platform/Json.h"

namespace corvane::cli {

namespace {

struct ScanOptions {
    std::string folder;
    bool json = false;
};

bool ParseArguments(const Arguments& arguments, ScanOptions& options) {
    bool haveFolder = false;
    for (const std::string& argument : arguments) {
        if (argument == "--json") {
            options.json = true;
        } else if (argument.rfind("--", 0) == 0 || haveFolder) {
            return false;
        } else {
            options.folder = argument;
            haveFolder = true;
        }
    }
    return haveFolder && !options.folder.empty();
}

// One line per file: control characters (a tab or line break in a comment)
// would break the columns, so they show as blanks. --json has the exact text.
std::string Cell(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    return text;
}

std::string HexId(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", id);
    return text;
}

void PrintText(const AlbumFolder& album, std::uint32_t discId, const OffsetList& offsets) {
    std::string out;
    for (const TrackInfo& record : album.files) {
        for (int column = 0; column < kFileListColumnCount; ++column) {
            out += column == 0 ? "" : "\t";
            out += Cell(FileListColumnText(record, column));
        }
        out += '\n';
    }
    if (!album.files.empty()) {
        out += "DISK ID = " + HexId(discId) + "\n";
        for (const CdOffset& offset : offsets) {
            out += std::to_string(offset.minutes) + " " + std::to_string(offset.seconds) + " " +
                   std::to_string(offset.frames) + "\n";
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintJson(const AlbumFolder& album, std::uint32_t discId, const OffsetList& offsets) {
    JsonWriter json(true);
    json.BeginObject().Key("folder").String(album.folder).Key("files").BeginArray();
    for (const TrackInfo& r : album.files) {
        json.BeginObject()
            .Key("fileName")
            .String(r.fileName)
            .Key("filePath")
            .String(r.filePath)
            .Key("artist")
            .String(r.artist)
            .Key("album")
            .String(r.album)
            .Key("title")
            .String(r.title)
            .Key("year")
            .String(r.year)
            .Key("genre")
            .String(r.genre)
            .Key("comment")
            .String(r.comment)
            .Key("track")
            .String(r.track)
            .Key("playSeconds")
            .UInt(r.playSeconds)
            .Key("playTime")
            .Double(r.playTime)
            .Key("bitrate")
            .Int(r.bitrate)
            .Key("fileType")
            .String(r.fileType)
            .Key("status")
            .Int(static_cast<int>(r.status))
            .EndObject();
    }
    json.EndArray();
    if (!album.files.empty()) {
        json.Key("discId").String(HexId(discId)).Key("offsets").BeginArray();
        for (const CdOffset& offset : offsets) {
            json.BeginCompactArray()
                .Int(offset.minutes)
                .Int(offset.seconds)
                .Int(offset.frames)
                .EndArray();
        }
        json.EndArray();
    }
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
}

}  // namespace

int RunScan(const Arguments& arguments) {
    ScanOptions options;
    if (!ParseArguments(arguments, options)) {
        std::fprintf(stderr, "usage: corvane-cli %s\n", kScanUsage);
        return 2;
    }
    ComponentLoader loader;
    Mp3InfoPtr mp3 = loader.LoadMp3Info();
    if (!mp3) {
        std::fprintf(stderr, "%s\n", loader.Error().c_str());
        if (!loader.Detail().empty()) {
            std::fprintf(stderr, "(%s)\n", loader.Detail().c_str());
        }
        return 1;
    }
    AlbumFolder album;
    if (ScanFolder(album, options.folder, *mp3) < 0) {
        const int error = errno;
        std::fprintf(stderr, "Cannot enter folder <%s>: %s\n", options.folder.c_str(),
                     ErrorText(error).c_str());
        return 1;
    }
    DiscIdCalculator calculator;
    const std::uint32_t discId = calculator.ComputeDiscId(album.files);
    OffsetList offsets;
    calculator.GetOffsets(offsets);
    if (options.json) {
        PrintJson(album, discId, offsets);
    } else {
        PrintText(album, discId, offsets);
    }
    return 0;
}

}  // namespace corvane::cli
