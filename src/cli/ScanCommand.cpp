#include "cli/ScanCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "album/AlbumFolder.h"
#include "album/DiscIdCalculator.h"
#include "album/DiscIdCandidates.h"
#include "album/TrackListColumns.h"
#include "cli/FileProgress.h"
#include "cli/Options.h"
#include "components/ComponentLoader.h"
#include "platform/FileSystem.h"
#include "platform/Json.h"
#include "processing/TagSaver.h"

namespace corvane::cli {

namespace {

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

JsonWriter& PrintOffsets(JsonWriter& json, const OffsetList& offsets) {
    json.BeginArray();
    for (const CdOffset& offset : offsets) {
        json.BeginCompactArray()
            .Int(offset.minutes)
            .Int(offset.seconds)
            .Int(offset.frames)
            .EndArray();
    }
    return json.EndArray();
}

// What other programs read beside the seven fields: the album artist,
// track and disc numbers with their totals (0: none), the front cover.
void PrintAlbumFields(JsonWriter& json, const TrackInfo& r) {
    const std::string number = TrackNumberText(r.track);
    json.Key("albumArtist")
        .String(r.albumArtist)
        .Key("trackNumber")
        .Int(number.empty() ? 0 : std::atoi(number.c_str()))
        .Key("trackCount")
        .Int(r.trackCount)
        .Key("discNumber")
        .Int(r.discNumber)
        .Key("discCount")
        .Int(r.discCount)
        .Key("cover");
    if (r.coverMime.empty()) {
        json.Null();
    } else {
        json.BeginObject()
            .Key("mime")
            .String(r.coverMime)
            .Key("bytes")
            .UInt(r.coverBytes)
            .EndObject();
    }
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
            .Key("lengthExact")
            .Bool(r.lengthExact);
        PrintAlbumFields(json, r);
        if (!r.lengthExact) {
            // The whole CD frames the true length lies between.
            json.Key("cdFrameRange")
                .BeginCompactArray()
                .Int(r.shortestCdFrames)
                .Int(r.longestCdFrames)
                .EndArray();
        }
        json.EndObject();
    }
    json.EndArray();
    if (!album.files.empty()) {
        json.Key("discId").String(HexId(discId)).Key("offsets");
        PrintOffsets(json, offsets);
        // In the order a lookup tries them.
        json.Key("candidateIds").BeginArray();
        for (const DiscCandidate& c : LookupDiscIds(album.files)) {
            json.BeginObject()
                .Key("discId")
                .String(HexId(c.discId))
                .Key("source")
                .String(c.source == DiscIdSource::kTag
                            ? "tag"
                            : (c.source == DiscIdSource::kNeighbour ? "neighbour" : "lengths"));
            if (!c.frame.empty()) {
                json.Key("frame").String(c.frame);
            }
            json.Key("offsets");
            PrintOffsets(json, c.offsets).EndObject();
        }
        json.EndArray();
        const std::string musicBrainzId = TaggedMusicBrainzId(album.files);
        if (!musicBrainzId.empty()) {
            json.Key("tagMusicBrainzId").String(musicBrainzId);
        }
    }
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
}

}  // namespace

int RunScan(const Arguments& arguments) {
    ScanOptions options;
    if (!ParseOptions(arguments, options)) {
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
    if (ScanFolder(album, options.folder, *mp3, FileProgress().Callback()) < 0) {
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
