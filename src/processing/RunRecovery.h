#pragma once

#include <string>

#include "components/Mp3InfoObject.h"
#include "platform/FileOps.h"
#include "processing/ProcessingLog.h"
#include "processing/RunJournal.h"

namespace corvane {

// The run a folder's journal tells of.
struct FoundRun {
    bool found = false;
    std::string albumFolder;  // where the journal lies
    RunStage stage = RunStage::kRunning;

    // A run that was killed, or an undo that was: it waits to be finished
    // or undone.
    bool Unfinished() const {
        return found && (stage == RunStage::kRunning || stage == RunStage::kUndoing);
    }
    // An undone run whose journal was not cleared away yet: undo clears it.
    bool CanUndo() const { return found; }
};

// The run journal for a folder that is scanned: the folder's own, or its
// parent's when the folder is the album directory of the parent's run.
FoundRun FindRun(const std::string& folder);

// Finishes the run that the journal of albumFolder tells of and that did not
// come to its end, logging as a run does. Returns the number of failures, or
// -1 when there is no such run (the log says why).
int ResumeRun(const std::string& albumFolder, Mp3InfoObject& mp3Info, ProcessingLog& log,
              FileOps* ops = nullptr);

// Puts back what the run of albumFolder's journal changed, finished or not:
// the old tags, names and places; the playlist and the album directory it
// made go. Never replaces a file. Returns the number of things it could not
// put back (each logged), or -1 when there is no run to undo.
int UndoRun(const std::string& albumFolder, ProcessingLog& log, FileOps* ops = nullptr);

}  // namespace corvane
