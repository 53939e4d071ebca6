#pragma once

#include <functional>
#include <string>
#include <vector>

#include "album/TrackInfo.h"
#include "processing/ProcessingLog.h"

namespace corvane {

// What the dependencies step (moving covers and texts along) needs to know
// about the run.
struct DependencyContext {
    TrackInfo firstTrack;     // first record of the database track list
    std::string albumFolder;  // the folder the files came from, ending in "/"
    std::string dirName;      // the album directory made inside it
    bool createDirectory = false;
    bool albumDirEntered = false;  // the move step made the album directory current
    std::string searchWords;       // upper case
    bool confirmDependencies = false;
    // Moves the named files of the album folder into the album directory,
    // journaled; the error of each. Without it, plain renames.
    std::function<std::vector<int>(const std::vector<std::string>& names)> move;
};

// The dependencies step, run as step 3 of the processing when moving
// dependencies is on. Returns the number of files it failed to move.
class DependencyStep {
public:
    virtual ~DependencyStep() = default;
    virtual int Run(const DependencyContext& context, ProcessingLog& log) = 0;
    // Every candidate moves, not only those that match the album.
    virtual bool MovesAll() const { return false; }
};

}  // namespace corvane
