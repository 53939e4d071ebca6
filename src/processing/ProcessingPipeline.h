#pragma once

#include <string>
#include <vector>

#include "album/TrackInfo.h"
#include "components/Mp3InfoObject.h"
#include "processing/DependencyStep.h"
#include "processing/FilePairing.h"
#include "processing/ProcessingLog.h"

namespace corvane {

struct ProcessingOptions {
    bool createDirectory = true;
    bool createPlaylist = true;
    bool moveDependencies = false;
};

// What "Rename Files" does, one step at a time: 0 create the album directory,
// 1 move, tag and rename the files, 2 write the playlist, 3 move the
// dependencies, 4 nothing. Renames and the playlist use names relative to the
// process's current directory, which step 1 sets to the album directory (or
// the album folder) and leaves there. Every failure is logged with the file
// and the reason; a step with failures ends with a count instead of "Done.".
class ProcessingPipeline {
public:
    static constexpr int kLastStep = 4;

    explicit ProcessingPipeline(ProcessingLog& log) : log_(log) {}

    // fileRows and trackRows: the record index each row of the file list and
    // of the database list carries, in the order the lists show them; row k of
    // one is paired with row k of the other.
    void SetLists(const TrackList& files, const TrackList& tracks, std::vector<int> fileRows,
                  std::vector<int> trackRows, Mp3InfoObject& mp3Info);
    void SetOptions(const ProcessingOptions& options) { options_ = options; }
    void SetDependencyOptions(const std::string& searchWords, bool confirmDependencies);
    // The dependencies step; without one, step 3 does nothing.
    void SetDependencyStep(DependencyStep* step) { dependencyStep_ = step; }

    // Logs the start line and resets the counts of the run.
    void Start();
    // False when the step had a failure.
    bool RunStep(int step);
    // Logs the end line.
    void Finish();
    // Start, every step and Finish in one go.
    void RunAll();

    // Files that failed and other items that failed (the directory, the
    // playlist), and files left untouched, in this run.
    int FailureCount() const { return otherFailures_ + FailedFileCount(); }
    int SkippedCount() const { return skipped_; }
    const std::string& DirName() const { return dirName_; }
    // One line for the main window: "3 of 12 files failed: see the log".
    std::string SummaryText() const;
    // One entry per file-list row, as step 1 left it.
    const std::vector<FileJob>& Jobs() const { return jobs_; }

private:
    void CreateDirectoryStep();
    void MoveTagRenameStep();
    bool MoveFiles();
    bool EnterFolder(const std::string& folder);
    void TagFiles();
    void RenameFiles();
    void WritePlaylistStep();
    void DependencyStepRun();

    void LogSkips(int& skipped);
    // A line about something that went wrong in the current step.
    void Problem(const std::string& text);
    // The step cannot go on: logs why and "Failed.".
    void StepFailed(const std::string& reason, int error = 0);
    void FailJob(FileJob& job, const std::string& reason, int error = 0);
    int FailedFileCount() const;
    void LogSummary(int failed, int skipped, int total);
    const TrackInfo& FileOf(const FileJob& job) const;
    const TrackInfo& TrackOf(const FileJob& job) const;

    ProcessingLog& log_;
    TrackList files_;
    TrackList tracks_;
    std::vector<int> fileRows_;
    std::vector<int> trackRows_;
    Mp3InfoObject* mp3Info_ = nullptr;
    ProcessingOptions options_;
    std::string searchWords_;
    bool confirmDependencies_ = false;
    DependencyStep* dependencyStep_ = nullptr;

    std::string albumFolder_;  // ends in "/"
    std::string dirName_;
    bool albumDirEntered_ = false;
    std::vector<FileJob> jobs_;
    int otherFailures_ = 0;  // failures that are not a file's own
    int skipped_ = 0;
    int stepProblems_ = 0;  // in the step running
};

// "Artist - Album" of the album's first track, cleaned for a file name: the
// album directory that the first step makes.
std::string AlbumDirectoryName(const TrackInfo& firstTrack);

// The local time as "%H:%M:%S".
std::string LocalTimeText();

}  // namespace corvane
