#pragma once

#include "cli/Commands.h"

namespace corvane::cli {

inline constexpr const char* kFingerprintUsage = "fingerprint FOLDER [--json]";

// Prints the AcoustID fingerprint of each MP3 file of a folder as fpcalc
// prints it: FILE=, DURATION= and FINGERPRINT= lines, a blank line between
// files. The files are fingerprinted on every core.
int RunFingerprint(const Arguments& arguments);

}  // namespace corvane::cli
