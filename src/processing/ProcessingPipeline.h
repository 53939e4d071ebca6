#pragma once

#include <string>
#include <vector>

#include "album/TrackInfo.h"
#include "components/Mp3InfoObject.h"
#include "platform/FileOps.h"
#include "processing/AlbumCover.h"
#include "processing/DependencyStep.h"
#include "processing/FilePairing.h"
#include "processing/ProcessingLog.h"
#include "processing/RunJournal.h"
#include "processing/RunLock.h"

namespace corvane {

struct ProcessingOptions {
    bool createDirectory = true;
    bool createPlaylist = true;
    bool moveDependencies = false;
    TagOptions tags{};
};

// The steps of "Rename Files", in the order they run.
enum class Step {
    kCreateDirectory = 0,
    kMoveTagRename = 1,
    kPlaylist = 2,
    kDependencies = 3,
    kEnd = 4,  // nothing: the dialog's last tick
};

// What a run will do: worked out once, shown by a dry run, carried out by
// the run.
struct Plan {
    std::string albumFolder;    // the folder the files lie in, ending in "/"
    std::string dirName;        // the album directory; empty: the files stay
    std::vector<FileJob> jobs;  // one per row of the file list
    std::string playlistName;   // empty: no playlist
};

// directoryName: the album directory, relative to the album folder, when the
// caller names it (a disc of a multi-disc album goes to "../Album/Disc 1");
// empty: "Artist - Album" of the first track.
Plan MakePlan(const TrackList& files, const std::vector<int>& fileRows, const TrackList& tracks,
              const std::vector<int>& trackRows, const ProcessingOptions& options,
              const std::string& directoryName = {});

// Sets each job's refusal: what the run will refuse to do since it never
// replaces a file (a name that is taken, or that an earlier file gets).
void ForeseeRefusals(Plan& plan);

// Where a journal says a run stands: the plan with each job as it is now.
struct RunState {
    Plan plan;
    TrackList files;                           // one per journal file: the old name and play time
    TrackList tracks;                          // the album track of each
    bool dirReady = false;                     // the album directory is there to use
    bool playlistDone = false;                 // the run wrote its playlist
    bool dependencies = false;                 // the run moves the album's other files
    bool dependenciesBegun = false;            // and had chosen them
    std::vector<std::string> dependencyNames;  // chosen and not moved yet
};

// What "Rename Files" does, one step at a time: create the album directory;
// move, tag and rename the files; write the playlist; move the dependencies.
// The run works out its plan first and writes it into the run journal of the
// album folder, and every change into the journal before making it, so that
// a run that is killed can be finished or undone. Renames never replace a
// file. Every failure is logged with the file and the reason; a step with
// failures ends with a count instead of "Done.". The current directory ends
// as the album directory (or the album folder), where the dependencies step
// starts.
class ProcessingPipeline {
public:
    explicit ProcessingPipeline(ProcessingLog& log, FileOps* ops = nullptr);

    // fileRows and trackRows: the record index each row of the file list and
    // of the database list carries, in the order the lists show them; row k of
    // one is paired with row k of the other.
    void SetLists(const TrackList& files, const TrackList& tracks, std::vector<int> fileRows,
                  std::vector<int> trackRows, Mp3InfoObject& mp3Info);
    void SetOptions(const ProcessingOptions& options) { options_ = options; }
    // The album directory named by the caller (see MakePlan).
    void SetDirectoryName(std::string name) { directoryName_ = std::move(name); }
    void SetDependencyOptions(const std::string& searchWords, bool confirmDependencies);
    // The dependencies step; without one, step 3 does nothing.
    void SetDependencyStep(DependencyStep* step) { dependencyStep_ = step; }
    // Goes on with a run that a journal left unfinished, instead of a new one.
    void SetResume(RunState state, Mp3InfoObject& mp3Info);
    // The folder's lock, taken by the caller before it looked at the folder;
    // without one, Start takes it. Finish lets it go.
    void SetLock(RunLock lock) { lock_ = std::move(lock); }

    // What the run will do, from the lists and options given.
    Plan PlanOfRun() const;

    // Logs the start line, works out the plan and starts the journal.
    void Start();
    // False when the step had a failure.
    bool RunStep(Step step);
    // Logs the end line and closes the journal.
    void Finish();
    // Start, every step and Finish in one go.
    void RunAll();

    // Files that failed and other items that failed (the directory, the
    // playlist), and files left untouched, in this run.
    int FailureCount() const { return otherFailures_ + FailedFileCount(); }
    int SkippedCount() const { return skipped_; }
    const Plan& ThePlan() const { return plan_; }
    // One line for the main window: "3 of 12 files failed: see the log".
    std::string SummaryText() const;

private:
    bool LockFolder();
    bool StartJournal();
    void CreateDirectoryStep();
    void MoveTagRenameStep();
    bool MoveFiles();
    bool EnterFolder(const std::string& folder);
    void TagFiles();
    int KeepOldTag(FileJob& job);
    int WriteTag(FileJob& job);
    void RecordTagOutcome(FileJob& job, int error, const std::string& why);
    void PrepareCover();
    void SaveCover();
    ExtraTagFields ExtraFieldsOf(const TrackInfo& track) const;
    void RenameFiles();
    void WritePlaylistStep();
    int WritePlaylist(const std::string& text);
    void DependencyStepRun();
    int MoveDependencies(const std::vector<std::string>& names, bool quiet,
                         std::vector<int>* errors = nullptr);
    bool IsPlannedFile(FileJob& job);
    std::string ReasonText(const std::string& reason, int error) const;
    std::string JournalText(int error) const;

    // The path of a name in the folder where the files are tagged and
    // renamed, relative to the album folder.
    std::string WorkPath(const std::string& name) const;
    void LogSkips(int& skipped);
    // A line about something that went wrong in the current step.
    void Problem(const std::string& text);
    // The step cannot go on: logs why and "Failed.".
    void StepFailed(const std::string& reason, int error = 0);
    void FailJob(FileJob& job, const std::string& reason, int error = 0, bool retryable = false);
    int FailedFileCount() const;
    void LogSummary(int failed, int skipped, int total);
    const TrackInfo& FileOf(const FileJob& job) const;
    const TrackInfo& TrackOf(const FileJob& job) const;

    ProcessingLog& log_;
    RunLock lock_;
    FileOps ownOps_;
    FileOps& ops_;
    RunJournal journal_;
    TrackList files_;
    TrackList tracks_;
    std::vector<int> fileRows_;
    std::vector<int> trackRows_;
    Mp3InfoObject* mp3Info_ = nullptr;
    ProcessingOptions options_;
    std::string directoryName_;
    std::string searchWords_;
    bool confirmDependencies_ = false;
    DependencyStep* dependencyStep_ = nullptr;

    Plan plan_;
    int nextTagCopy_ = 1;  // the number of the next old tag's copy
    bool resuming_ = false;
    bool blocked_ = false;  // no journal: nothing may change
    bool dirReady_ = false;
    bool albumDirEntered_ = false;
    bool playlistDone_ = false;
    bool dependenciesBegun_ = false;
    std::vector<std::string> dependencyNames_;
    CoverPicture cover_;            // to embed
    bool coverDownloaded_ = false;  // and to save beside the files
    int otherFailures_ = 0;         // failures that are not a file's own
    int retryable_ = 0;             // failures that a resume may mend
    int skipped_ = 0;
    int stepProblems_ = 0;  // in the step running
};

// "Artist - Album" of the album's first track, cleaned for a file name: the
// album directory that the first step makes.
std::string AlbumDirectoryName(const TrackInfo& firstTrack);

// The local time as "%H:%M:%S".
std::string LocalTimeText();

}  // namespace corvane
