#pragma once

#include <string>

namespace corvane {

// How long a stretch of a file the fingerprint hears: the first two minutes,
// as fpcalc hears by default, so that both give the same fingerprint.
inline constexpr int kFingerprintSeconds = 120;

// The Chromaprint fingerprint of an MP3 file, compressed and base64-encoded
// as fpcalc prints it and AcoustID takes it, from the file's first
// kFingerprintSeconds decoded by libmpg123; seconds is the whole file's
// length, whole seconds. 0 on success; non-zero when the file cannot be
// decoded or holds too little sound to fingerprint. Keeps no state, so
// several threads may fingerprint files side by side.
int ComputeFingerprint(const std::string& path, std::string& fingerprint, int& seconds);

}  // namespace corvane
