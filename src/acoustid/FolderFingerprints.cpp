#include "acoustid/FolderFingerprints.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace corvane {

std::vector<FileFingerprint> FingerprintFiles(const std::vector<std::string>& paths,
                                              const Mp3InfoFactory& makeObject, unsigned threads) {
    std::vector<FileFingerprint> prints(paths.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        Mp3InfoPtr object = makeObject();
        if (!object) {
            return;
        }
        for (std::size_t i = next++; i < paths.size(); i = next++) {
            FileFingerprint& print = prints[i];
            print.ok = object->GetFingerprint(paths[i], print.fingerprint, print.seconds) == 0;
        }
    };
    if (threads == 0) {
        threads = std::max(1u, std::thread::hardware_concurrency());
    }
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, paths.size()));
    std::vector<std::thread> workers;
    for (unsigned t = 1; t < threads; ++t) {
        workers.emplace_back(work);
    }
    work();  // this thread is one of them
    for (std::thread& worker : workers) {
        worker.join();
    }
    return prints;
}

}  // namespace corvane
