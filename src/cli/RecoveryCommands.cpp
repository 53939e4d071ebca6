#include "cli/RecoveryCommands.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include "components/ComponentLoader.h"
#include "platform/FileSystem.h"
#include "processing/ProcessingLog.h"
#include "processing/RunLock.h"
#include "processing/RunRecovery.h"

namespace corvane::cli {

namespace {

// The run of the one folder argument; 2 after a usage error, 1 when the
// folder's journal tells of no such run.
int FindFolderRun(const Arguments& arguments, const char* command, const char* usage,
                  bool unfinishedOnly, FoundRun& run) {
    if (arguments.size() != 1 || arguments[0].empty() || arguments[0].rfind("--", 0) == 0) {
        std::fprintf(stderr, "corvane-cli %s: which folder?\nusage: corvane-cli %s\n", command,
                     usage);
        return 2;
    }
    std::error_code ignored;
    const std::string folder =
        std::filesystem::absolute(arguments[0], ignored).lexically_normal().string();
    if (FolderIsLocked(folder)) {
        std::fprintf(stderr, "%s\n", kFolderLockedText);
        return 1;
    }
    run = FindRun(folder);
    if (!unfinishedOnly && !run.found && IsDirectory(JournalFolderOf(folder))) {
        // An undo killed while it cleared its journal away: undo finishes it.
        run = {true, folder, RunStage::kUndone};
    }
    if (unfinishedOnly ? !run.Unfinished() : !run.CanUndo()) {
        std::fprintf(stderr, "corvane-cli %s: there is no %s in %s\n", command,
                     unfinishedOnly ? "unfinished run" : "run to undo", arguments[0].c_str());
        return 1;
    }
    // A reader of the output that goes away must not stop it half way.
    std::signal(SIGPIPE, SIG_IGN);
    return 0;
}

}  // namespace

int RunResume(const Arguments& arguments) {
    FoundRun run;
    if (const int status = FindFolderRun(arguments, "resume", kResumeUsage, true, run)) {
        return status;
    }
    ComponentLoader loader;
    Mp3InfoPtr mp3Info = loader.LoadMp3Info();
    if (!mp3Info) {
        std::fprintf(stderr, "%s\n", loader.Error().c_str());
        return 1;
    }
    StreamProcessingLog log(stdout);
    const int failures = ResumeRun(run.albumFolder, *mp3Info, log);
    log.Flush();
    return failures == 0 ? 0 : 1;
}

int RunUndo(const Arguments& arguments) {
    FoundRun run;
    if (const int status = FindFolderRun(arguments, "undo", kUndoUsage, false, run)) {
        return status;
    }
    StreamProcessingLog log(stdout);
    const int problems = UndoRun(run.albumFolder, log);
    log.Flush();
    return problems == 0 ? 0 : 1;
}

}  // namespace corvane::cli
