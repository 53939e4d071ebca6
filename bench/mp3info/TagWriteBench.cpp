// Tag writing against kid3-cli: 200 four-minute files, first without a tag
// (both tools rewrite every file), then re-tagging files whose tag has room.
// Usage: mp3info_tagwrite_bench [files=200] [seconds=240]
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "Mp3Info.h"
#include "support/TestSupport.h"

namespace {

using corvane::bench::Now;

struct Fields {
    std::string title, artist, album, year, comment, track, genre;
};

std::vector<std::string> Copies(const corvane::test::TempDir& dir, const std::string& source,
                                const std::string& prefix, int count) {
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        const std::string path = dir.File(prefix + std::to_string(i) + ".mp3");
        corvane::test::RunProcess({"cp", source, path});
        files.push_back(path);
    }
    corvane::test::RunProcess({"sync"});
    return files;
}

// Forces the files to disk, as our writer does for each file before it
// replaces it; kid3-cli (TagLib) leaves them in the page cache.
double SyncFiles(const std::vector<std::string>& files) {
    const double t = Now();
    for (const auto& file : files) {
        const int fd = ::open(file.c_str(), O_RDONLY);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
    return Now() - t;
}

// Each file written and flushed, or (batch) the whole batch written, then
// flushed once with FlushWrites as the processing does.
double Ours(const std::vector<std::string>& files, const Fields& f, bool batch) {
    corvane::Mp3InfoObject* info = corvane::CreateMp3Info();
    info->SetDeferredWrites(batch);
    const double t = Now();
    for (const auto& file : files) {
        if (info->Open(file) != 0 ||
            info->WriteTag(f.title, f.artist, f.album, f.year, f.comment, f.track, f.genre) != 0) {
            std::fprintf(stderr, "writing %s failed\n", file.c_str());
        }
    }
    for (const corvane::DeferredWriteFailure& failure : info->FlushWrites()) {
        std::fprintf(stderr, "writing %s failed\n", failure.path.c_str());
    }
    const double elapsed = Now() - t;
    info->Release();
    return elapsed;
}

// One kid3-cli process for all files, as a user would tag a folder.
double Kid3(const std::vector<std::string>& files, const Fields& f) {
    std::vector<std::string> argv = {"kid3-cli",
                                     "-c",
                                     "set title '" + f.title + "'",
                                     "-c",
                                     "set artist '" + f.artist + "'",
                                     "-c",
                                     "set album '" + f.album + "'",
                                     "-c",
                                     "set date " + f.year,
                                     "-c",
                                     "set comment '" + f.comment + "'",
                                     "-c",
                                     "set tracknumber " + f.track,
                                     "-c",
                                     "set genre '" + f.genre + "'"};
    argv.insert(argv.end(), files.begin(), files.end());
    const double t = Now();
    if (corvane::test::RunProcess(argv) != 0) {
        std::fprintf(stderr, "kid3-cli failed\n");
    }
    return Now() - t;
}

void Report(const char* what, double ours, double batch, double kid3, double kid3Sync) {
    std::printf(
        "%s: ours %.2f s (each file flushed), %.2f s (the batch flushed once), kid3-cli %.2f s + "
        "%.2f s to flush its files; ratio ours/kid3-cli %.2f (with its flush %.2f), batch "
        "%.2f (with its flush %.2f)\n",
        what, ours, batch, kid3, kid3Sync, ours / kid3, ours / (kid3 + kid3Sync), batch / kid3,
        batch / (kid3 + kid3Sync));
}

// Ours file by file and as one batch, and kid3-cli, each on fresh copies of source.
void Measure(const char* what, const corvane::test::TempDir& dir, const std::string& source,
             const Fields& f, int count) {
    std::vector<double> times;
    for (const bool batch : {false, true}) {
        const std::vector<std::string> files = Copies(dir, source, "ours", count);
        times.push_back(Ours(files, f, batch));
        for (const auto& file : files) {
            ::unlink(file.c_str());
        }
    }
    const std::vector<std::string> files = Copies(dir, source, "kid3", count);
    const double kid3 = Kid3(files, f);
    Report(what, times[0], times[1], kid3, SyncFiles(files));
    for (const auto& file : files) {
        ::unlink(file.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 200;
    const long seconds = argc > 2 ? std::atol(argv[2]) : 240;
    if (!corvane::test::HaveProgram("kid3-cli")) {
        std::fprintf(stderr, "kid3-cli is not installed\n");
        return 1;
    }
    corvane::test::TempDir dir;
    const std::string plain =
        corvane::test::MakeMp3(dir.path(), "plain.mp3", 44100 * seconds, {"-b", "128"});
    const Fields first{"First Title", "First Artist", "First Album", "1999", "a comment",
                       "7",           "Rock"};
    const Fields second{"Second, longer title",
                        "Second Artist",
                        "Second Album",
                        "2004",
                        "another comment",
                        "12",
                        "Jazz"};
    // The re-tagging source: the same file with a tag that has room.
    const std::string tagged = dir.File("tagged.mp3");
    corvane::test::RunProcess({"cp", plain, tagged});
    corvane::test::RunProcess({"kid3-cli", "-c", "set title 'Some title'", tagged});

    Measure("no tag (every file rewritten)", dir, plain, first, count);
    Measure("tag with room (re-tagging)", dir, tagged, second, count);
    return 0;
}
