#pragma once

#include "cli/Commands.h"

namespace corvane::cli {

// Exit codes of "apply" beyond the common ones (0 done, 1 failure, 2 usage).
inline constexpr int kExitChoiceNeeded = 3;       // several albums match; pick one with --choose
inline constexpr int kExitTrackCountDiffers = 4;  // confirm with --keep
inline constexpr int kExitLengthsDiffer = 4;      // a file's play time is far from its track's

inline constexpr const char* kApplyUsage =
    "apply FOLDER [--server HOST[:PORT]] [--format TEMPLATE] [--case MODE] [--no-directory]\n"
    "                    [--no-playlist] [--no-dependencies] [--dependencies all|checked]\n"
    "                    [--choose N] [--keep] [--dry-run]\n"
    "                    [--musicbrainz-server URL] [--no-musicbrainz] [--search [WORDS...]]\n"
    "                    [--acoustid-key KEY] [--acoustid-server URL] [--no-acoustid]";

// The whole road of one album without a window: scan, look the album up,
// check the track count, then create the directory, move, tag and rename the
// files, write the playlist and move the album's other files along.
int RunApply(const Arguments& arguments);

}  // namespace corvane::cli
