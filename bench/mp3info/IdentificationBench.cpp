// How often the measured play times give the true track lengths and the true
// disc id, for albums whose CD track lengths are known: our lengths beside
// TagLib's. Usage: mp3info_identification_bench [albums] [seed]
//        mp3info_identification_bench simulate [albums] [seed]
#include <discid/discid.h>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "Mp3Info.h"
#include "PlayLength.h"
#include "album/DiscIdCalculator.h"
#include "support/TestSupport.h"

namespace {

using corvane::TrackInfo;
using corvane::TrackList;

struct Mode {
    const char* name;
    std::vector<std::string> args;
};

struct Score {
    int tracks = 0;
    int exactFrames = 0;  // same whole CD frame count as the true length
    int withinFrame = 0;  // |error| < 1/75 s
    int albums = 0;
    int idRight = 0;        // the program's disc id equals the true one
    double worstError = 0;  // seconds
};

// The freedb id of the real CD: offsets in whole frames, lead-out at the end
// of the last track.
std::string TrueFreedbId(const std::vector<int>& frames) {
    std::vector<int> offsets(frames.size() + 1);
    int position = 150;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        offsets[i + 1] = position;
        position += frames[i];
    }
    offsets[0] = position;
    DiscId* disc = discid_new();
    discid_put(disc, 1, static_cast<int>(frames.size()), offsets.data());
    std::string id = discid_get_freedb_id(disc);
    discid_free(disc);
    return id;
}

std::string ProgramId(const std::vector<double>& playTimes) {
    TrackList list(playTimes.size());
    for (std::size_t i = 0; i < playTimes.size(); ++i) {
        list[i].playTime = playTimes[i];
    }
    corvane::DiscIdCalculator calculator;
    char text[16];
    std::snprintf(text, sizeof text, "%08x", calculator.ComputeDiscId(list));
    return text;
}

void AddTrack(Score& score, int frames, double measured) {
    const double error = measured - frames / 75.0;
    ++score.tracks;
    score.exactFrames += static_cast<int>(std::floor(measured * 75.0 + 1e-9)) == frames;
    score.withinFrame += std::fabs(error) < 1.0 / 75.0;
    score.worstError = std::max(score.worstError, std::fabs(error));
}

void Add(Score& score, const std::vector<int>& frames, const std::vector<double>& measured,
         const std::string& trueId) {
    for (std::size_t i = 0; i < frames.size(); ++i) {
        AddTrack(score, frames[i], measured[i]);
    }
    ++score.albums;
    score.idRight += ProgramId(measured) == trueId;
}

}  // namespace

// Without encoding: albums of typical CD tracks, frame counts as LAME 3.100
// leaves them (padding 576..1727 samples), lengths estimated the three ways
// the component can without an info frame. Shows which guess keeps the disc
// id most often when the end of a track tells nothing (it ends in silence)
// and when it does.
int Simulate(int albums, unsigned seed) {
    std::mt19937 random(seed);
    const corvane::LengthEstimate estimates[] = {
        corvane::LengthEstimate::Middle, corvane::LengthEstimate::NearestCdFrame,
        corvane::LengthEstimate::CdFrameBySilence, corvane::LengthEstimate::CdFrameBySilence};
    const char* names[] = {"middle of the padding range", "nearest whole CD frame",
                           "by silent end granules, music to the end",
                           "by silent end granules, music ends silent"};
    int right[4] = {};
    long exact[4] = {};
    long tracks = 0;
    for (int a = 0; a < albums; ++a) {
        const int count = 8 + static_cast<int>(random() % 7);
        std::vector<int> frames(static_cast<std::size_t>(count));
        for (auto& f : frames) {
            f = 120 * 75 + static_cast<int>(random() % (300 * 75));
        }
        const std::string trueId = TrueFreedbId(frames);
        for (int e = 0; e < 4; ++e) {
            std::vector<double> measured;
            for (int f : frames) {
                const long samples = f * 588L;
                corvane::MpegStreamInfo stream;
                stream.header.layer = 3;
                stream.header.samplesPerFrame = 1152;
                stream.header.sampleRate = 44100;
                stream.audioFrames = static_cast<std::uint64_t>((samples + 1152 + 1151) / 1152);
                const long padding = static_cast<long>(stream.audioFrames) * 1152 - 576 - samples;
                stream.trailingSilentGranules =
                    e == 3 ? 5 : (padding < 890 ? 0 : (padding < 1490 ? 1 : 2));
                const corvane::PlayLength length = corvane::ComputePlayLength(stream, estimates[e]);
                measured.push_back(length.Seconds());
                exact[e] += length.samples == samples;
            }
            right[e] += ProgramId(measured) == trueId;
        }
        tracks += count;
    }
    std::printf("simulated %d albums (%ld tracks of 2-7 min), seed %u\n", albums, tracks, seed);
    for (int e = 0; e < 4; ++e) {
        std::printf("%-48s tracks exact %5.1f%%, disc id right %5.1f%%\n", names[e],
                    100.0 * exact[e] / tracks, 100.0 * right[e] / albums);
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "simulate") {
        return Simulate(argc > 2 ? std::atoi(argv[2]) : 100000,
                        argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 2024);
    }
    const int albums = argc > 1 ? std::atoi(argv[1]) : 10;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 2024;
    const std::vector<Mode> modes = {{"CBR 128", {"-b", "128"}},
                                     {"CBR 320", {"-b", "320"}},
                                     {"VBR -V2", {"-V", "2"}},
                                     {"ABR 160", {"--abr", "160"}}};
    const char* methods[] = {"ours, info frame",
                             "TagLib, info frame",
                             "ours, no info: CD frame by silence",
                             "ours, no info: nearest CD frame",
                             "ours, no info: middle",
                             "TagLib, no info frame"};
    std::map<std::string, Score> scores;
    std::mt19937 random(seed);
    corvane::test::TempDir dir;
    auto* info = static_cast<corvane::Mp3Info*>(corvane::CreateMp3Info());
    int programMatchesFreedb = 0;
    const double start = corvane::bench::Now();

    for (int a = 0; a < albums; ++a) {
        const int count = 4 + static_cast<int>(random() % 4);
        std::vector<int> frames(static_cast<std::size_t>(count));
        std::vector<corvane::test::SignalEnd> ends(frames.size());
        std::vector<const char*> endNames(frames.size());
        for (std::size_t i = 0; i < frames.size(); ++i) {
            frames[i] = 20 * 75 + static_cast<int>(random() % (40 * 75 + 1));
            // Like real albums: some tracks run to the end, most fade out,
            // some with digital silence after the fade.
            const unsigned kind = random() % 10;
            if (kind < 4) {
                endNames[i] = "ending: full level";
            } else if (kind < 7) {
                ends[i].fadeOut = 3 * 44100;
                endNames[i] = "ending: fade-out";
            } else {
                ends[i].fadeOut = 3 * 44100;
                ends[i].silence = 4410 + static_cast<long>(random() % 88200);
                endNames[i] = "ending: fade-out + silence";
            }
        }
        const std::string trueId = TrueFreedbId(frames);
        std::vector<double> exact;
        for (int f : frames) {
            corvane::PlayLength length;
            length.sampleRate = 44100;
            length.samples = f * 588L;
            exact.push_back(length.Seconds());
        }
        programMatchesFreedb += ProgramId(exact) == trueId;

        for (const Mode& mode : modes) {
            std::map<std::string, std::vector<double>> measured;
            for (int i = 0; i < count; ++i) {
                const std::string name = "t" + std::to_string(i) + ".mp3";
                const std::string path = corvane::test::MakeMp3(
                    dir.path(), name, frames[i] * 588L, mode.args, 2, 44100,
                    static_cast<unsigned>(a * 100 + i + 1), ends[static_cast<std::size_t>(i)]);
                const std::string bare = dir.File("bare.mp3");
                if (path.empty() || !corvane::bench::StripInfoFrame(path, bare)) {
                    std::fprintf(stderr, "encoding failed\n");
                    return 1;
                }
                for (const auto& [file, withInfo] :
                     {std::pair{path, true}, std::pair{bare, false}}) {
                    if (info->Open(file) != 0) {
                        std::fprintf(stderr, "cannot open %s\n", file.c_str());
                        return 1;
                    }
                    TagLib::FileRef ref(file.c_str(), true, TagLib::AudioProperties::Average);
                    const double taglib =
                        ref.audioProperties()
                            ? ref.audioProperties()->lengthInMilliseconds() / 1000.0
                            : 0.0;
                    if (withInfo) {
                        measured[methods[0]].push_back(info->GetPlayTime());
                        measured[methods[1]].push_back(taglib);
                    } else {
                        measured[methods[2]].push_back(info->GetPlayTime());
                        measured[methods[3]].push_back(
                            corvane::ComputePlayLength(info->Stream(),
                                                       corvane::LengthEstimate::NearestCdFrame)
                                .Seconds());
                        measured[methods[4]].push_back(
                            corvane::ComputePlayLength(info->Stream(),
                                                       corvane::LengthEstimate::Middle)
                                .Seconds());
                        measured[methods[5]].push_back(taglib);
                    }
                }
            }
            for (const char* method : methods) {
                Add(scores[std::string(mode.name) + " | " + method], frames, measured[method],
                    trueId);
                Add(scores[std::string("all modes | ") + method], frames, measured[method], trueId);
                for (std::size_t i = 0; i < frames.size(); ++i) {
                    AddTrack(scores[std::string(endNames[i]) + " | " + method], frames[i],
                             measured[method][i]);
                }
            }
        }
        std::fprintf(stderr, "album %d/%d done\n", a + 1, albums);
    }
    info->Release();

    std::printf(
        "%d albums, seed %u, %.0f s; the program's id of the true lengths equals the "
        "freedb id of the CD for %d of %d albums\n",
        albums, seed, corvane::bench::Now() - start, programMatchesFreedb, albums);
    std::printf("%-52s %7s %12s %12s %10s %10s\n", "mode | method", "tracks", "exact frames",
                "within 1/75", "disc id ok", "worst s");
    for (const auto& [key, s] : scores) {
        char albumsText[16] = "-";
        if (s.albums > 0) {
            std::snprintf(albumsText, sizeof albumsText, "%.1f%%", 100.0 * s.idRight / s.albums);
        }
        std::printf("%-52s %7d %11.1f%% %11.1f%% %10s %10.4f\n", key.c_str(), s.tracks,
                    100.0 * s.exactFrames / s.tracks, 100.0 * s.withinFrame / s.tracks, albumsText,
                    s.worstError);
    }
    return 0;
}
