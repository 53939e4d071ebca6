#pragma once

#include "cli/Commands.h"

namespace corvane::cli {

inline constexpr const char* kScanUsage = "scan FOLDER [--json]";

// Lists the MP3 files of a folder as the program's file list shows them,
// then the disc id and CD offsets computed from them.
int RunScan(const Arguments& arguments);

}  // namespace corvane::cli
