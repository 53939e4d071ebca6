#pragma once

#include <functional>
#include <string>
#include <vector>

#include "components/ComponentLoader.h"

namespace corvane {

struct FileFingerprint {
    bool ok = false;  // false: the file could not be decoded
    std::string fingerprint;
    int seconds = 0;
};

// Makes one MP3 information object for one worker thread; null when none
// can be made.
using Mp3InfoFactory = std::function<Mp3InfoPtr()>;

// The fingerprints of the files, in their order, computed on every core
// (threads = 0) or on the number of threads given, each thread with its own
// component object.
std::vector<FileFingerprint> FingerprintFiles(const std::vector<std::string>& paths,
                                              const Mp3InfoFactory& makeObject,
                                              unsigned threads = 0);

}  // namespace corvane
