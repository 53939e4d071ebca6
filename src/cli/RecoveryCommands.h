#pragma once

#include "cli/Commands.h"

namespace corvane::cli {

inline constexpr const char* kResumeUsage = "resume FOLDER";
inline constexpr const char* kUndoUsage = "undo FOLDER";

// Finishes the run of "apply" (or of the window) that was killed in FOLDER,
// the album folder or its album directory, from the run's journal.
int RunResume(const Arguments& arguments);

// Undoes the last run in FOLDER, finished or not: names, places and tags as
// they were. Exit code 1 when something could not be put back.
int RunUndo(const Arguments& arguments);

}  // namespace corvane::cli
