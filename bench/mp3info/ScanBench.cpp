// Scan speed of the component against a plain TagLib read of the same files,
// and peak memory of a large folder scan.
// Usage: mp3info_scan_bench speed [files=300 [info]] | memory [files=5000]
// ("info": only the files with an info frame)
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "Mp3Info.h"
#include "support/TestSupport.h"

namespace {

using corvane::bench::Now;

// A few distinct tagged files (CBR and VBR), copied or linked to `count`
// names. `walk` drops the info frames so that every file is walked.
std::vector<std::string> MakeFolder(const corvane::test::TempDir& dir, int count, bool walk,
                                    bool hardLinks) {
    const std::vector<std::vector<std::string>> modes = {
        {"-b", "128"}, {"-V", "2"}, {"-b", "192"}, {"--abr", "160"}, {"-V", "5"}};
    std::vector<std::string> sources;
    corvane::Mp3InfoObject* info = corvane::CreateMp3Info();
    for (std::size_t i = 0; i < modes.size(); ++i) {
        std::string path = corvane::test::MakeMp3(dir.path(), "src" + std::to_string(i) + ".mp3",
                                                  44100L * (150 + 20 * static_cast<long>(i)),
                                                  modes[i], 2, 44100, static_cast<unsigned>(i + 1));
        if (walk) {
            const std::string bare = path + ".bare";
            corvane::bench::StripInfoFrame(path, bare);
            path = bare;
        }
        info->Open(path);
        info->WriteTag("Title number " + std::to_string(i), "Some Artist", "Some Album", "1999",
                       "A comment", std::to_string(i + 1), "Rock");
        sources.push_back(path);
    }
    info->Release();
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%05d.mp3", i);
        const std::string target = dir.File(name);
        const std::string& source = sources[static_cast<std::size_t>(i) % sources.size()];
        if (hardLinks) {
            ::link(source.c_str(), target.c_str());
        } else {
            corvane::test::RunProcess({"cp", source, target});
        }
        files.push_back(target);
    }
    return files;
}

// Everything the folder scan asks of the component.
long ScanOurs(const std::vector<std::string>& files) {
    corvane::Mp3InfoObject* info = corvane::CreateMp3Info();
    long checksum = 0;
    for (const auto& file : files) {
        if (info->Open(file) != 0) {
            continue;
        }
        checksum += info->GetBitrate() + info->GetTrack() + info->GetPlaySeconds() +
                    static_cast<long>(info->GetPlayTime()) + info->GetAuxValue() +
                    static_cast<long>(info->GetFileType().size());
        if (info->HasTag()) {
            checksum += static_cast<long>(info->GetTitle().size() + info->GetArtist().size() +
                                          info->GetAlbum().size() + info->GetGenre().size() +
                                          info->GetComment().size()) +
                        info->GetYear();
        }
    }
    info->Release();
    return checksum;
}

// The same fields through TagLib alone, properties read the usual way.
long ScanTagLib(const std::vector<std::string>& files) {
    long checksum = 0;
    for (const auto& file : files) {
        TagLib::FileRef ref(file.c_str(), true, TagLib::AudioProperties::Average);
        if (ref.isNull()) {
            continue;
        }
        if (const TagLib::AudioProperties* p = ref.audioProperties()) {
            checksum +=
                p->bitrate() + p->lengthInMilliseconds() / 1000 + p->sampleRate() + p->channels();
        }
        if (const TagLib::Tag* t = ref.tag()) {
            checksum +=
                static_cast<long>(t->title().to8Bit(true).size() + t->artist().to8Bit(true).size() +
                                  t->album().to8Bit(true).size() + t->genre().to8Bit(true).size() +
                                  t->comment().to8Bit(true).size()) +
                t->year() + t->track();
        }
    }
    return checksum;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Speed(int count, bool infoOnly) {
    for (bool walk : {false, true}) {
        if (walk && infoOnly) {
            break;
        }
        corvane::test::TempDir dir;
        const auto files = MakeFolder(dir, count, walk, false);
        ScanOurs(files);  // warm the page cache for both
        ScanTagLib(files);
        std::vector<double> ours;
        std::vector<double> taglib;
        // Other work on the machine disturbs single rounds: many short
        // alternating rounds, compared by their minimum and their median.
        for (int round = 0; round < 21; ++round) {
            double t = Now();
            ScanOurs(files);
            ours.push_back(Now() - t);
            t = Now();
            ScanTagLib(files);
            taglib.push_back(Now() - t);
        }
        const double minOurs = *std::min_element(ours.begin(), ours.end());
        const double minTagLib = *std::min_element(taglib.begin(), taglib.end());
        std::printf(
            "%d files %s: ours %.1f ms, TagLib %.1f ms (fastest of 21 rounds), ratio "
            "ours/TagLib %.2f (of the medians %.2f)\n",
            count, walk ? "without info frame (frames walked)" : "with info frame", minOurs * 1e3,
            minTagLib * 1e3, minOurs / minTagLib, Median(ours) / Median(taglib));
    }
}

void Memory(int count) {
    corvane::test::TempDir dir;
    const auto files = MakeFolder(dir, count, true, true);
    const double before = corvane::bench::PeakRssMb();
    const double t = Now();
    ScanOurs(files);
    std::printf(
        "%d files (frames walked): scan %.2f s, peak RSS %.1f MB (%.1f MB before the scan)\n",
        count, Now() - t, corvane::bench::PeakRssMb(), before);
}

}  // namespace

int main(int argc, char** argv) {
    const bool memory = argc > 1 && std::strcmp(argv[1], "memory") == 0;
    const int count = argc > 2 ? std::atoi(argv[2]) : (memory ? 5000 : 300);
    if (memory) {
        Memory(count);
    } else {
        Speed(count, argc > 3 && std::strcmp(argv[3], "info") == 0);
    }
    return 0;
}
