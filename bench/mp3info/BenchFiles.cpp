#include "BenchFiles.h"

#include <sys/resource.h>

#include <chrono>

#include "ByteSource.h"
#include "MpegStreamScanner.h"
#include "support/TestSupport.h"

namespace corvane::bench {

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool StripInfoFrame(const std::string& path, const std::string& out) {
    std::string data;
    if (!test::ReadFileBytes(path, data)) {
        return false;
    }
    MemoryByteSource source(data.data(), data.size());
    MpegStreamInfo info;
    if (!ScanMpegStream(source, info) || !info.hasInfoFrame) {
        return false;
    }
    data.erase(info.firstFrameOffset, static_cast<std::size_t>(info.header.frameBytes));
    return test::WriteFileBytes(out, data);
}

double PeakRssMb() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace corvane::bench
