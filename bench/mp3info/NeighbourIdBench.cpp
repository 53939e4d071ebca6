// How many albums whose lengths are only estimates the local CDDB server
// finds: with the single id of the estimated lengths, and with the
// neighbouring ids as a lookup tries them, both in one run on the same files.
// Usage: mp3info_neighbour_bench [albums=20] [seed]
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "Mp3Info.h"
#include "album/AlbumFolder.h"
#include "album/DiscIdCandidates.h"
#include "cddb/CddbAgent.h"
#include "cddb/ServerProcess.h"
#include "support/TestSupport.h"

namespace {

using corvane::test::RunProcess;

struct Encoder {
    const char* name;
    std::vector<std::string> args;  // between the input WAV and the output
    bool ffmpeg;
};

struct Tally {
    int albums = 0;
    int single = 0;      // found by the one id of the estimated lengths
    int neighbours = 0;  // found within the capped tries
    int queries = 0;     // queries the found ones needed
    int listed = 0;      // the true id among all the candidate ids
};

std::string Hex(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", id);
    return text;
}

bool Encode(const Encoder& e, const std::string& wav, const std::string& mp3) {
    std::vector<std::string> argv;
    if (e.ffmpeg) {
        argv = {"ffmpeg", "-v", "error", "-y", "-i", wav};
        argv.insert(argv.end(), e.args.begin(), e.args.end());
    } else {
        argv = {"lame", "--quiet"};
        argv.insert(argv.end(), e.args.begin(), e.args.end());
        argv.push_back(wav);
    }
    argv.push_back(mp3);
    return RunProcess(argv) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int albums = argc > 1 ? std::atoi(argv[1]) : 20;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 2026;
    if (!corvane::test::HaveProgram("lame") || !corvane::test::HaveProgram("ffmpeg")) {
        std::fprintf(stderr, "needs lame and ffmpeg (tools/packages.txt)\n");
        return 1;
    }
    const std::vector<Encoder> encoders = {
        {"lame -t -b 128", {"-t", "-b", "128"}, false},
        {"lame -t -V 2", {"-t", "-V", "2"}, false},
        {"ffmpeg libmp3lame -write_xing 0",
         {"-c:a", "libmp3lame", "-b:a", "192k", "-write_xing", "0"},
         true},
        {"ffmpeg libshine", {"-c:a", "libshine", "-b:a", "128k"}, true},
    };
    std::mt19937 random(seed);
    corvane::test::TempDir records;
    corvane::test::TempDir work;
    struct Album {
        std::vector<int> frames;
        std::uint32_t id = 0;
    };
    std::vector<Album> made;
    for (int a = 0; a < albums; ++a) {
        Album album;
        const int count = 6 + static_cast<int>(random() % 5);
        corvane::OffsetList offsets;
        std::vector<int> starts;
        int at = 150;
        for (int i = 0; i < count; ++i) {
            const int f = 15 * 75 + static_cast<int>(random() % (30 * 75));
            album.frames.push_back(f);
            starts.push_back(at);
            offsets.push_back({at / 4500, at / 75 % 60, at % 75});
            at += f;
        }
        offsets.push_back({at / 4500, at / 75 % 60, at % 75});
        album.id = corvane::DiscIdOfOffsets(offsets);
        std::vector<std::string> titles(static_cast<std::size_t>(count), "Song");
        corvane::test::WriteRecord(
            records.path(), "misc", Hex(album.id),
            corvane::test::MakeRecord(Hex(album.id), starts, at / 75, "Bench / Album", titles));
        made.push_back(album);
    }
    corvane::test::ServerProcess server(records.path());
    if (server.Port() == 0) {
        std::fprintf(stderr, "corvane-cddbd did not start\n");
        return 1;
    }
    corvane::CddbAgent agent;
    agent.SetSite("127.0.0.1", server.Port());
    auto* mp3 = static_cast<corvane::Mp3Info*>(corvane::CreateMp3Info());
    std::vector<Tally> tallies(encoders.size());
    int estimatedTracks = 0;
    int tracks = 0;

    for (std::size_t a = 0; a < made.size(); ++a) {
        const Album& album = made[a];
        std::vector<std::string> wavs;
        for (std::size_t i = 0; i < album.frames.size(); ++i) {
            // Every track fades to digital silence: the end says nothing
            // about the padding.
            corvane::test::SignalEnd end;
            end.fadeOut = 2 * 44100;
            end.silence = 2000 + static_cast<long>(random() % 44100);
            const std::string wav = work.File("t" + std::to_string(i) + ".wav");
            corvane::test::WriteWav(wav, album.frames[i] * 588L, 2, 44100,
                                    static_cast<unsigned>(a * 100 + i + 1), end);
            wavs.push_back(wav);
        }
        for (std::size_t e = 0; e < encoders.size(); ++e) {
            corvane::TrackList files;
            for (std::size_t i = 0; i < wavs.size(); ++i) {
                corvane::TrackInfo file;
                file.filePath = work.File("t" + std::to_string(i) + ".mp3");
                if (!Encode(encoders[e], wavs[i], file.filePath) ||
                    !corvane::ReadTrackInfo(file, *mp3)) {
                    std::fprintf(stderr, "encoding %s failed\n", encoders[e].name);
                    return 1;
                }
                estimatedTracks += !file.lengthExact;
                ++tracks;
                files.push_back(file);
            }
            const std::vector<corvane::DiscCandidate> ids = corvane::LookupDiscIds(files);
            std::vector<corvane::DiscMatch> matches;
            std::size_t found = 0;
            Tally& t = tallies[e];
            ++t.albums;
            for (const corvane::DiscCandidate& c : ids) {
                t.listed += c.discId == album.id;
            }
            t.single +=
                agent.QueryCandidates(ids, 1, matches, found) && matches.front().discId == album.id;
            if (agent.QueryCandidates(ids, corvane::kMaxIdQueries, matches, found) &&
                matches.front().discId == album.id) {
                ++t.neighbours;
                t.queries += static_cast<int>(found) + 1;
            }
        }
        std::fprintf(stderr, "album %zu/%zu done\n", a + 1, made.size());
    }
    mp3->Release();

    std::printf(
        "%d albums of 6-10 tracks (15-45 s, each fading to silence), seed %u; %d of %d "
        "tracks estimated\n",
        albums, seed, estimatedTracks, tracks);
    std::printf("%-34s %8s %16s %16s %14s %10s\n", "encoder", "albums", "single estimate",
                "with neighbours", "queries/found", "in 16 ids");
    Tally all;
    for (std::size_t e = 0; e < encoders.size(); ++e) {
        const Tally& t = tallies[e];
        all.albums += t.albums;
        all.single += t.single;
        all.neighbours += t.neighbours;
        all.queries += t.queries;
        all.listed += t.listed;
        std::printf("%-34s %8d %15.1f%% %15.1f%% %14.2f %9.1f%%\n", encoders[e].name, t.albums,
                    100.0 * t.single / t.albums, 100.0 * t.neighbours / t.albums,
                    t.neighbours > 0 ? static_cast<double>(t.queries) / t.neighbours : 0.0,
                    100.0 * t.listed / t.albums);
    }
    std::printf("%-34s %8d %15.1f%% %15.1f%% %14.2f %9.1f%%\n", "all", all.albums,
                100.0 * all.single / all.albums, 100.0 * all.neighbours / all.albums,
                all.neighbours > 0 ? static_cast<double>(all.queries) / all.neighbours : 0.0,
                100.0 * all.listed / all.albums);
    return 0;
}
