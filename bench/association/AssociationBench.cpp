// Times AutoAssociate on 99 files against 99 track titles and prints the
// median against the 50 ms target, and against the plain fill of the same
// lists (ManualAssociate) as a baseline measured in the same run.
//
//   build/bin/association_bench [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "association/Association.h"

namespace {

using corvane::Association;
using corvane::TrackInfo;
using corvane::TrackList;

constexpr int kTracks = 99;
constexpr double kTargetMs = 50.0;

const char* const kWords[] = {
    "Love",   "Night",  "Heart",    "Dancing", "Summer", "Blue",   "River",   "Midnight",
    "Dream",  "Fire",   "Shadows",  "Golden",  "Road",   "Home",   "Broken",  "Angel",
    "Rain",   "Wild",   "Electric", "Silver",  "Moon",   "Ocean",  "Forever", "Lonely",
    "Street", "Hearts", "Paradise", "Thunder", "Island", "Velvet", "Crystal", "Stranger"};

std::string Words(std::mt19937& random, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += (i ? " " : "") + std::string(kWords[random() % std::size(kWords)]);
    }
    return text;
}

// Titles such as "Midnight River Dancing (Live at the Forum, 1977)", file
// names such as "Artist Name - Album Title - 07 - Midnight River Dancing.mp3".
// With sameLength every file is within 10 s of every track and the names carry
// no track numbers, so every track scores every file by title: the worst case.
void MakeAlbum(bool sameLength, TrackList& files, TrackList& tracks) {
    std::mt19937 random(2024);
    files.clear();
    tracks.clear();
    for (int i = 0; i < kTracks; ++i) {
        TrackInfo track;
        track.title = Words(random, 2 + static_cast<int>(random() % 4));
        if (random() % 4 == 0) {
            track.title += " (Live at the Forum, " + std::to_string(1970 + i % 30) + ")";
        }
        track.playSeconds = sameLength ? 240 + static_cast<std::uint32_t>(random() % 5)
                                       : 120 + static_cast<std::uint32_t>(random() % 300);
        tracks.push_back(track);
    }
    std::vector<int> order(kTracks);
    for (int i = 0; i < kTracks; ++i) {
        order[i] = i;
    }
    std::shuffle(order.begin(), order.end(), random);
    for (int i : order) {
        TrackInfo file;
        const std::string number = sameLength ? "" : (i < 9 ? "0" : "") + std::to_string(i + 1);
        file.fileName = "The Velvet Strangers - Songs From The Road - " + number + " - " +
                        tracks[i].title + ".mp3";
        file.title = random() % 3 ? tracks[i].title : "";
        file.playSeconds = tracks[i].playSeconds + static_cast<std::uint32_t>(random() % 3);
        files.push_back(file);
    }
    std::sort(files.begin(), files.end(),
              [](const TrackInfo& a, const TrackInfo& b) { return a.fileName < b.fileName; });
}

template <typename Fill>
double MedianMs(int runs, const TrackList& files, const TrackList& tracks, Fill fill) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        Association association(files, tracks);
        fill(association);
        const auto end = std::chrono::steady_clock::now();
        if (association.FileRows().size() != static_cast<std::size_t>(kTracks)) {
            std::fprintf(stderr, "unexpected row count\n");
            std::exit(1);
        }
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    std::printf("AutoAssociate, %d files x %d tracks, median of %d runs\n", kTracks, kTracks, runs);
    for (bool sameLength : {false, true}) {
        TrackList files;
        TrackList tracks;
        MakeAlbum(sameLength, files, tracks);
        const double autoMs =
            MedianMs(runs, files, tracks, [](Association& a) { a.AutoAssociate(); });
        const double plainMs =
            MedianMs(runs, files, tracks, [](Association& a) { a.ManualAssociate(); });
        std::printf(
            "%-34s %8.3f ms  ratio to the 50 ms target %.4f  ratio to the plain fill %.1f\n",
            sameLength ? "worst case (equal lengths, no numbers)" : "numbered files", autoMs,
            autoMs / kTargetMs, autoMs / plainMs);
    }
    return 0;
}
