#pragma once

#include "cli/Commands.h"

namespace corvane::cli {

inline constexpr const char* kLibraryUsage =
    "library ROOT [--server HOST[:PORT]] [--musicbrainz-server URL] [--no-musicbrainz]\n"
    "                    [--dry-run] [--again] [--jobs N] [--report FILE.json] [--undo]";

// Every album under ROOT found, identified without questions and filed on
// the single-album road; killed, the same command goes on where it stopped.
int RunLibrary(const Arguments& arguments);

}  // namespace corvane::cli
