#pragma once

#include <string>
#include <vector>

#include "processing/ProcessingPipeline.h"

namespace corvane {

// What the processing would do, without doing it, one line each: the
// directory, each file's new name (with what the run will refuse, since it
// never replaces a file) and the playlist. folder: where the files are.
std::vector<std::string> PlanLines(Plan plan, const std::string& folder);

}  // namespace corvane
