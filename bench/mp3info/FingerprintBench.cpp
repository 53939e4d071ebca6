// The fingerprint of a four-minute file: the component's, in-process and
// through "corvane-cli fingerprint", against fpcalc on the same file in the
// same run. Alternating rounds, the median of each; wall time and CPU time
// (the machine may be shared, CPU time is the steadier figure).
// Usage: mp3info_fingerprint_bench [rounds=9] [seconds=240]
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "Fingerprinter.h"
#include "support/TestSupport.h"

namespace {

using corvane::bench::Now;

struct Cost {
    double wall = 0;
    double cpu = 0;
};

double CpuSeconds(int who) {
    struct rusage usage {};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

template <class Run>
Cost Measure(int who, Run run) {
    const double cpu = CpuSeconds(who);
    const double start = Now();
    run();
    return {Now() - start, CpuSeconds(who) - cpu};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const char* name, const std::vector<Cost>& costs, const std::vector<Cost>& base) {
    std::vector<double> wall, cpu, baseWall, baseCpu;
    for (std::size_t i = 0; i < costs.size(); ++i) {
        wall.push_back(costs[i].wall);
        cpu.push_back(costs[i].cpu);
        baseWall.push_back(base[i].wall);
        baseCpu.push_back(base[i].cpu);
    }
    std::printf("%-34s wall %6.3f s  cpu %6.3f s   ratio to fpcalc: wall %.2f  cpu %.2f\n", name,
                Median(wall), Median(cpu), Median(wall) / Median(baseWall),
                Median(cpu) / Median(baseCpu));
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const long seconds = argc > 2 ? std::max(10, std::atoi(argv[2])) : 240;
    if (!corvane::test::HaveProgram("fpcalc") || !corvane::test::HaveProgram("lame")) {
        std::fprintf(stderr, "fpcalc (libchromaprint-tools) and lame are needed\n");
        return 1;
    }
    corvane::test::TempDir dir;
    const std::string file =
        corvane::test::MakeMp3(dir.path(), "song.mp3", 44100 * seconds, {"-b", "192"});
    const std::string cli = corvane::test::BinDir() + "/corvane-cli";
    if (file.empty()) {
        return 1;
    }
    std::printf("a %ld s 192 kbit/s file, %d rounds\n", seconds, rounds);
    std::vector<Cost> fpcalc, ours, command;
    std::string expected, fingerprint, printed;
    for (int round = 0; round < rounds; ++round) {
        fpcalc.push_back(Measure(RUSAGE_CHILDREN, [&] {
            corvane::test::RunProcess({"fpcalc", file}, &expected);
        }));
        ours.push_back(Measure(RUSAGE_SELF, [&] {
            int length = 0;
            corvane::ComputeFingerprint(file, fingerprint, length);
        }));
        command.push_back(Measure(RUSAGE_CHILDREN, [&] {
            corvane::test::RunProcess({cli, "fingerprint", dir.path()}, &printed);
        }));
    }
    Report("fpcalc (process)", fpcalc, fpcalc);
    Report("component (in-process)", ours, fpcalc);
    Report("corvane-cli fingerprint (process)", command, fpcalc);
    const bool same = expected.find("FINGERPRINT=" + fingerprint + "\n") != std::string::npos;
    std::printf("fingerprint %s fpcalc's\n", same ? "equals" : "DIFFERS FROM");
    return same ? 0 : 1;
}
