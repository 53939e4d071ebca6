#include "processing/ProcessingPipeline.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <set>

#include "naming/FileNameCleanup.h"
#include "naming/NameFormat.h"
#include "platform/FileSystem.h"
#include "processing/Dependencies.h"
#include "processing/PlaylistWriter.h"
#include "processing/RenameBatch.h"
#include "processing/TagBackup.h"
#include "processing/TagSaver.h"

namespace corvane {

namespace {

constexpr const char* kFailedText = "Failed.";
// The MP3 component cannot open the file: its tag is not written.
constexpr int kNotMp3 = -2;

// A failure that may go when its cause does (a full disk, a locked file),
// so that the run stays unfinished and resume tries again; a name that is
// taken or a file that is no MP3 would fail again.
bool IsRetryable(int error) {
    return error > 0 && error != EEXIST && error != EINVAL && error != ENOENT;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string FilesText(int count) {
    return count == 1 ? "1 file" : std::to_string(count) + " files";
}

// The names in a folder, for telling afterwards what a killed tag write left.
void AddFolderNames(const std::string& folder, std::vector<std::string>& names) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        names.push_back(entry.path().filename().string());
    }
}

// A name of the album directory, or a caller's relative path whose parts
// are such names (".." allowed, to reach beside the album folder).
bool IsUsableDirectoryPath(const std::string& path) {
    std::size_t start = 0;
    for (std::size_t slash; start <= path.size(); start = slash + 1) {
        slash = path.find('/', start);
        if (slash == std::string::npos) {
            slash = path.size();
        }
        const std::string part = path.substr(start, slash - start);
        if (part != ".." && !IsUsableFileName(part)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string LocalTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

ProcessingPipeline::ProcessingPipeline(ProcessingLog& log, FileOps* ops)
    : log_(log), ops_(ops != nullptr ? *ops : ownOps_), journal_(ops_) {}

void ProcessingPipeline::SetLists(const TrackList& files, const TrackList& tracks,
                                  std::vector<int> fileRows, std::vector<int> trackRows,
                                  Mp3InfoObject& mp3Info) {
    files_ = files;
    tracks_ = tracks;
    fileRows_ = std::move(fileRows);
    trackRows_ = std::move(trackRows);
    mp3Info_ = &mp3Info;
    resuming_ = false;
}

void ProcessingPipeline::SetDependencyOptions(const std::string& searchWords,
                                              bool confirmDependencies) {
    searchWords_ = searchWords;
    confirmDependencies_ = confirmDependencies;
}

void ProcessingPipeline::SetResume(RunState state, Mp3InfoObject& mp3Info) {
    files_ = std::move(state.files);
    tracks_ = std::move(state.tracks);
    plan_ = std::move(state.plan);
    dirReady_ = state.dirReady;
    playlistDone_ = state.playlistDone;
    dependenciesBegun_ = state.dependenciesBegun;
    dependencyNames_ = std::move(state.dependencyNames);
    options_.createDirectory = !plan_.dirName.empty();
    options_.createPlaylist = !plan_.playlistName.empty();
    options_.moveDependencies = state.dependencies;
    mp3Info_ = &mp3Info;
    resuming_ = true;
}

Plan ProcessingPipeline::PlanOfRun() const {
    return MakePlan(files_, fileRows_, tracks_, trackRows_, options_, directoryName_);
}

void ProcessingPipeline::Start() {
    otherFailures_ = 0;
    retryable_ = 0;
    skipped_ = 0;
    albumDirEntered_ = false;
    blocked_ = false;
    if (!resuming_) {
        plan_ = PlanOfRun();
        dirReady_ = false;
        playlistDone_ = false;
        dependenciesBegun_ = false;
        dependencyNames_.clear();
    }
    log_.Log("Processing Files, started at " + LocalTimeText());
    blocked_ = !LockFolder() || !StartJournal();
}

bool ProcessingPipeline::LockFolder() {
    if (plan_.albumFolder.empty()) {
        return true;
    }
    int error = lock_.LockRunOf(plan_.albumFolder);
    const std::string dir = plan_.albumFolder + plan_.dirName;
    if (error == 0 && !plan_.dirName.empty() && IsDirectory(dir)) {
        error = lock_.LockDirectory(dir);
    }
    // A file system without locks does not stop the run; another run does.
    if (error != EWOULDBLOCK) {
        return true;
    }
    log_.LogProblem(kFolderLockedText);
    ++otherFailures_;
    return false;
}

bool ProcessingPipeline::StartJournal() {
    if (plan_.albumFolder.empty()) {
        return true;  // no files: the steps find nothing to do
    }
    if (resuming_) {
        journal_.Continue(plan_.albumFolder);
        return true;
    }
    JournalRecord earlier;
    if (ReadJournal(plan_.albumFolder, earlier) &&
        (earlier.stage == RunStage::kRunning || earlier.stage == RunStage::kUndoing)) {
        log_.LogProblem("An earlier run in this folder was not finished: finish or undo it first.");
        ++otherFailures_;
        return false;
    }
    JournalRecord record;
    record.dirName = plan_.dirName;
    record.playlistName = plan_.playlistName;
    record.dependencies =
        options_.moveDependencies && options_.createDirectory && dependencyStep_ != nullptr;
    record.allDependencies = record.dependencies && dependencyStep_->MovesAll();
    record.dependencyWords = searchWords_;
    for (std::size_t track = 0; track < tracks_.size(); ++track) {
        for (const FileJob& job : plan_.jobs) {
            if (job.skipReason.empty() && job.trackRecord == static_cast<int>(track)) {
                record.files.push_back({FileOf(job), TrackOf(job)});
            }
        }
    }
    if (const int error = journal_.Begin(plan_.albumFolder, record); error != 0) {
        log_.LogProblem("Cannot write the run journal in " + Quoted(plan_.albumFolder) + ": " +
                        ErrorText(error));
        ++otherFailures_;
        return false;
    }
    return true;
}

void ProcessingPipeline::Finish() {
    log_.Log("Operation finished at " + LocalTimeText());
    if (!blocked_ && journal_.IsOpen()) {
        // A run with failures that may go is not finished: resume tries again.
        journal_.Commit();
        if (retryable_ == 0) {
            journal_.Mark(RunStage::kFinished);
        }
    }
    lock_.Release();
}

void ProcessingPipeline::RunAll() {
    Start();
    for (int step = 0; step <= static_cast<int>(Step::kEnd); ++step) {
        RunStep(static_cast<Step>(step));
    }
    Finish();
}

bool ProcessingPipeline::RunStep(Step step) {
    stepProblems_ = 0;
    if (blocked_) {
        return step == Step::kEnd;
    }
    switch (step) {
        case Step::kCreateDirectory:
            if (options_.createDirectory) {
                CreateDirectoryStep();
            }
            break;
        case Step::kMoveTagRename:
            MoveTagRenameStep();
            break;
        case Step::kPlaylist:
            if (options_.createPlaylist) {
                WritePlaylistStep();
            }
            break;
        case Step::kDependencies:
            if (options_.moveDependencies) {
                DependencyStepRun();
            }
            break;
        case Step::kEnd:
            break;
    }
    // Each step's changes are on the disk before the next step relies on them.
    journal_.Commit();
    return stepProblems_ == 0;
}

void ProcessingPipeline::CreateDirectoryStep() {
    log_.Log("Creating New Directory...");
    const std::string& dirName = plan_.dirName;
    if (dirName.empty()) {
        StepFailed("No album to name the directory after.");
        return;
    }
    if (!dirReady_ && !IsUsableDirectoryPath(dirName)) {
        StepFailed("Cannot create the directory " + Quoted(dirName), EINVAL);
        return;
    }
    // An album directory left by an earlier run is simply used again.
    if (!dirReady_ && !IsDirectory(plan_.albumFolder + dirName)) {
        const int error = journal_.MakeDirectory(dirName);
        if (error != 0 && !(error == EEXIST && IsDirectory(plan_.albumFolder + dirName))) {
            StepFailed("Cannot create the directory " + Quoted(dirName), error);
            return;
        }
    }
    dirReady_ = true;
    lock_.LockDirectory(plan_.albumFolder + dirName);
    log_.Log(kDoneText);
}

void ProcessingPipeline::MoveTagRenameStep() {
    PrepareCover();
    if (options_.createDirectory && !MoveFiles()) {
        return;
    }
    log_.Log("Renaming and ID3Tag Files...");
    int skipped = 0;
    if (!options_.createDirectory) {
        if (!EnterFolder(plan_.albumFolder)) {
            return;
        }
        LogSkips(skipped);
        for (FileJob& job : plan_.jobs) {
            job.inWorkFolder = job.skipReason.empty();
        }
    }
    if (mp3Info_ == nullptr) {
        StepFailed("No MP3 component to write the tags with.");
        return;
    }
    TagFiles();
    RenameFiles();
    // A file that could not be moved is not renamed either.
    LogSummary(FailedFileCount(), skipped, static_cast<int>(plan_.jobs.size()));
    SaveCover();
}

// Moves every paired file into the album directory and makes it current.
// False when the directory cannot be entered: then nothing is touched.
bool ProcessingPipeline::MoveFiles() {
    log_.Log("Moving Files...");
    if (!dirReady_) {
        // The directory step has not made a directory: nowhere to move to.
        StepFailed("No album directory to move the files into.");
        return false;
    }
    if (!EnterFolder(plan_.albumFolder + plan_.dirName)) {
        return false;
    }
    albumDirEntered_ = true;
    int skipped = 0;
    LogSkips(skipped);
    int failed = 0;
    std::vector<std::pair<std::string, std::string>> moves;
    std::vector<FileJob*> moved;
    for (FileJob& job : plan_.jobs) {
        if (!job.skipReason.empty() || job.inWorkFolder) {
            continue;
        }
        if (!IsPlannedFile(job)) {
            ++failed;
            continue;
        }
        moves.emplace_back(job.currentName, WorkPath(job.currentName));
        moved.push_back(&job);
    }
    // One journal write for every move, one sync of the two folders after.
    const std::vector<int> errors = journal_.MoveGroup(moves);
    for (std::size_t i = 0; i < moved.size(); ++i) {
        if (errors[i] != 0) {
            FailJob(
                *moved[i],
                "Cannot move " + Quoted(moved[i]->currentName) + " into " + Quoted(plan_.dirName),
                errors[i]);
            ++failed;
            continue;
        }
        moved[i]->inWorkFolder = true;
    }
    LogSummary(failed, skipped, static_cast<int>(plan_.jobs.size()));
    return true;
}

bool ProcessingPipeline::EnterFolder(const std::string& folder) {
    const std::string path = folder.empty() ? std::string(".") : folder;
    if (::chdir(path.c_str()) == 0) {
        return true;
    }
    StepFailed("Cannot enter the folder " + Quoted(path), errno);
    return false;
}

void ProcessingPipeline::TagFiles() {
    std::vector<FileJob*> batch;
    for (FileJob& job : plan_.jobs) {
        if (!job.inWorkFolder || job.tagDone) {
            continue;
        }
        if (!IsPlannedFile(job)) {
            job.inWorkFolder = false;
            continue;
        }
        if (const int error = KeepOldTag(job); error != 0) {
            FailJob(job, "Cannot keep the old tag of " + Quoted(job.currentName), error);
            continue;
        }
        batch.push_back(&job);
    }
    if (batch.empty()) {
        return;
    }
    // What the folder holds before the first write: whatever a killed write
    // leaves beyond it is the writer's temporary file.
    std::vector<JournalOp> ops(1);
    ops[0].kind = JournalOpKind::kList;
    ops[0].args = {WorkPath("")};
    AddFolderNames(journal_.Absolute(WorkPath("")), ops[0].args);
    for (const FileJob* job : batch) {
        ops.push_back(
            {JournalOpKind::kTag, {WorkPath(job->currentName), job->oldTagCopy}, {}, 0, {}});
    }
    // The old tags are on the disk before the journal says a write began.
    const int backupError = ops_.SyncFileSystem(journal_.Absolute(kJournalFolder));
    journal_.Touch(kJournalFolder);
    journal_.Commit();
    const int noteError = backupError != 0 ? backupError : journal_.NoteGroup(ops);
    // The batch is written, then flushed to the disk once; a tag's outcome
    // is journaled only after that, so the journal never says "written"
    // before the disk has it.
    std::vector<std::pair<int, std::string>> results;  // error, why
    const std::string noteText = backupError != 0
                                     ? "cannot keep the old tags: " + ErrorText(backupError)
                                     : JournalText(noteError);
    for (FileJob* job : batch) {
        const int error = noteError != 0 ? noteError : WriteTag(*job);
        results.emplace_back(error, noteError != 0 ? noteText
                                    : error != 0   ? WriteFailureText(*mp3Info_, error)
                                                   : std::string());
    }
    for (const DeferredWriteFailure& failure : mp3Info_->FlushWrites()) {
        for (std::size_t i = 0; i < batch.size(); ++i) {
            if (journal_.Absolute(WorkPath(batch[i]->currentName)) == failure.path) {
                results[i] = {failure.error,
                              failure.reason.empty() ? ErrorText(failure.error) : failure.reason};
            }
        }
    }
    for (std::size_t i = 0; i < batch.size(); ++i) {
        RecordTagOutcome(*batch[i], results[i].first, results[i].second);
    }
    journal_.Touch(WorkPath("").empty() ? "" : plan_.dirName);
    journal_.Commit();
}

void ProcessingPipeline::RecordTagOutcome(FileJob& job, int error, const std::string& why) {
    const std::string path = journal_.Absolute(WorkPath(job.currentName));
    journal_.Outcome(error == kNotMp3 ? EINVAL : error, error == 0 ? TagDigestOfFile(path) : "");
    job.tagDone = error == 0;
    if (error == kNotMp3) {
        FailJob(job, "Cannot read " + Quoted(job.currentName) +
                         " as an MP3 file: its tag is not written.");
    } else if (error != 0) {
        FailJob(job, "Cannot write the tag of " + Quoted(job.currentName) + ": " + why, 0,
                IsRetryable(error));
    }
}

// A copy of the old tag in the journal's folder, made once per file.
int ProcessingPipeline::KeepOldTag(FileJob& job) {
    if (!job.oldTagCopy.empty()) {
        return 0;
    }
    std::string content;
    if (const int error = ReadWholeFile(journal_.Absolute(WorkPath(job.currentName)), content);
        error != 0) {
        return error;
    }
    const std::string backup = MakeTagBackup(content);
    // Numbered on from the last copy made: trying every number from 1 for
    // each file would cost an album of n files n * n / 2 tries.
    int error = EEXIST;
    for (; error == EEXIST; ++nextTagCopy_) {
        job.oldTagCopy = std::string(kJournalFolder) + "/tag-" + std::to_string(nextTagCopy_);
        // Flushed with the rest of the batch's copies, before the first write.
        error = ops_.CreateFile(journal_.Absolute(job.oldTagCopy), backup, false);
    }
    if (error != 0) {
        job.oldTagCopy.clear();
    }
    return error;
}

// Writes the tag whose journal line is written; the batch's flush follows.
int ProcessingPipeline::WriteTag(FileJob& job) {
    const std::string path = journal_.Absolute(WorkPath(job.currentName));
    // A read-only file is made writable for the write only; its copy must be
    // in place before the attribute is set again, so it is written through.
    TemporarilyWritable writable(path);
    mp3Info_->SetDeferredWrites(!writable.Cleared());
    int error = kNotMp3;
    if (mp3Info_->Open(path) == 0) {
        const TrackInfo& track = TrackOf(job);
        mp3Info_->SetExtraFields(ExtraFieldsOf(track));
        error = mp3Info_->WriteTag(track.title, track.artist, track.album, track.year,
                                   track.comment, track.track, track.genre);
    }
    mp3Info_->SetDeferredWrites(false);
    if (const int restoreError = writable.Restore()) {
        Problem("Cannot make " + Quoted(job.currentName) +
                " read-only again: " + ErrorText(restoreError));
    }
    return error;
}

void ProcessingPipeline::RenameFiles() {
    std::vector<RenameRequest> requests;
    std::vector<FileJob*> renamed;
    for (FileJob& job : plan_.jobs) {
        if (job.inWorkFolder && IsPlannedFile(job)) {
            requests.push_back({job.currentName, job.newName});
            renamed.push_back(&job);
        }
    }
    const std::vector<RenameResult> results = journal_.RenameAll(requests, WorkPath(""));
    for (std::size_t i = 0; i < results.size(); ++i) {
        renamed[i]->currentName = results[i].finalName;
        if (results[i].error == 0) {
            continue;
        }
        std::string text = "Cannot rename " + Quoted(requests[i].from) + " to " +
                           Quoted(requests[i].to) + ": " + ErrorText(results[i].error);
        if (results[i].finalName != requests[i].from) {
            text += "; the file is now named " + Quoted(results[i].finalName);
        }
        FailJob(*renamed[i], text, 0, IsRetryable(results[i].error));
    }
    journal_.Commit();
}

void ProcessingPipeline::WritePlaylistStep() {
    log_.Log("Creating Playlist...");
    std::vector<PlaylistEntry> entries;
    int failed = 0;
    // The album's track order; each file under the name it has now.
    for (std::size_t track = 0; track < tracks_.size(); ++track) {
        for (const FileJob& job : plan_.jobs) {
            if (!job.inWorkFolder || job.trackRecord != static_cast<int>(track)) {
                continue;
            }
            if (!CanListFileName(job.currentName)) {
                Problem("Cannot list " + Quoted(job.currentName) +
                        ": its name holds a line break.");
                ++failed;
                continue;
            }
            entries.push_back({FileOf(job).playSeconds,
                               PlaylistLabel(tracks_[track].title, job.currentName),
                               job.currentName});
        }
    }
    otherFailures_ += failed;
    if (entries.empty()) {
        Problem("No file to list: the playlist is not written.");
        return;
    }
    const std::string& name = plan_.playlistName;
    const int error = playlistDone_            ? 0
                      : IsUsableFileName(name) ? WritePlaylist(BuildPlaylist(entries))
                                               : EINVAL;
    if (error != 0) {
        StepFailed("Cannot write the playlist " + Quoted(name), error);
        return;
    }
    if (failed == 0) {
        log_.Log(kDoneText);
    } else {
        log_.LogProblem(FilesText(failed) + " not listed.");
    }
}

// Through a temporary file in the journal's folder, whose name is short
// whatever the playlist's, and a rename that never replaces a file.
int ProcessingPipeline::WritePlaylist(const std::string& text) {
    const std::string temporary = std::string(kJournalFolder) + "/playlist.tmp";
    const std::string path = WorkPath(plan_.playlistName);
    std::string existing;
    if (ReadWholeFile(journal_.Absolute(path), existing) == 0 && existing == text) {
        return 0;  // an earlier run's, the same to the byte
    }
    if (const int error =
            journal_.Note(JournalOpKind::kWrite, {temporary, path, HashText(ContentHash(text))});
        error != 0) {
        return error;
    }
    ops_.RemoveFile(journal_.Absolute(temporary));
    int error = ops_.CreateFile(journal_.Absolute(temporary), text);
    if (error == 0) {
        error = ops_.Rename(journal_.Absolute(temporary), journal_.Absolute(path));
        if (error != 0) {
            ops_.RemoveFile(journal_.Absolute(temporary));
        }
    }
    journal_.TouchParentOf(path);
    journal_.Touch(kJournalFolder);
    journal_.Outcome(error);
    journal_.Commit();
    playlistDone_ = error == 0;
    return error;
}

void ProcessingPipeline::DependencyStepRun() {
    if (resuming_ && dependenciesBegun_) {
        // The step had chosen its files: those not moved yet go now.
        if (dependencyNames_.empty()) {
            return;
        }
        log_.Log("Moving Dependencies Files...");
        const int failed = MoveDependencies(dependencyNames_, false);
        if (failed == 0) {
            log_.Log(kDoneText);
        } else {
            log_.LogProblem(std::to_string(failed) + " not moved.");
        }
        otherFailures_ += failed;
        stepProblems_ += failed;
        return;
    }
    if (dependencyStep_ == nullptr) {
        return;
    }
    DependencyContext context;
    if (!tracks_.empty()) {
        context.firstTrack = tracks_.front();
    }
    context.albumFolder = plan_.albumFolder;
    context.dirName = plan_.dirName;
    context.createDirectory = options_.createDirectory;
    context.albumDirEntered = albumDirEntered_;
    context.searchWords = searchWords_;
    context.confirmDependencies = confirmDependencies_;
    context.move = [this](const std::vector<std::string>& names) {
        std::vector<int> errors;
        MoveDependencies(names, true, &errors);
        return errors;
    };
    const int failed = dependencyStep_->Run(context, log_);
    otherFailures_ += failed;
    stepProblems_ += failed;
}

// The album's other files into the album directory, in one journal group
// that begins with the step's mark; the number that failed.
int ProcessingPipeline::MoveDependencies(const std::vector<std::string>& names, bool quiet,
                                         std::vector<int>* errors) {
    std::vector<std::pair<std::string, std::string>> moves;
    for (const std::string& name : names) {
        moves.emplace_back(name, WorkPath(name));
    }
    std::vector<JournalOp> mark;
    if (!dependenciesBegun_) {
        // The chosen files in the mark's one line: a mark cut short is no mark.
        mark.push_back({JournalOpKind::kDependencies, names, {}, 0, {}});
    }
    const std::vector<int> results = journal_.MoveGroup(moves, mark);
    dependenciesBegun_ = journal_.Error() == 0;
    int failed = 0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        retryable_ += IsRetryable(results[i]) ? 1 : 0;
        failed += results[i] != 0 ? 1 : 0;
        if (results[i] != 0 && !quiet) {
            log_.LogProblem(ReasonText(
                "Cannot move " + Quoted(names[i]) + " into " + Quoted(plan_.dirName), results[i]));
        }
    }
    if (errors != nullptr) {
        *errors = results;
    }
    return failed;
}

std::string ProcessingPipeline::WorkPath(const std::string& name) const {
    return plan_.dirName.empty() ? name : plan_.dirName + "/" + name;
}

void ProcessingPipeline::LogSkips(int& skipped) {
    for (const FileJob& job : plan_.jobs) {
        if (job.skipReason.empty()) {
            continue;
        }
        const std::string name =
            job.fileRecord >= 0 ? Quoted(job.currentName) : "row " + std::to_string(job.row + 1);
        log_.LogProblem("Skipped " + name + ": " + job.skipReason + ".");
        ++skipped;
    }
    skipped_ += skipped;
}

void ProcessingPipeline::Problem(const std::string& text) {
    log_.LogProblem(text);
    ++stepProblems_;
}

void ProcessingPipeline::StepFailed(const std::string& reason, int error) {
    Problem(ReasonText(reason, error));
    ++otherFailures_;
    retryable_ += IsRetryable(error) ? 1 : 0;
    log_.LogProblem(kFailedText);
}

void ProcessingPipeline::FailJob(FileJob& job, const std::string& reason, int error,
                                 bool retryable) {
    Problem(ReasonText(reason, error));
    job.failed = true;
    retryable_ += retryable || IsRetryable(error) ? 1 : 0;
}

std::string ProcessingPipeline::ReasonText(const std::string& reason, int error) const {
    if (error == 0) {
        return reason;
    }
    // The change was not made because its journal line could not be written.
    return error == journal_.Error() ? JournalText(error) : reason + ": " + ErrorText(error);
}

std::string ProcessingPipeline::JournalText(int error) const {
    return "Cannot write the run journal " + Quoted(journal_.Path()) + ": " + ErrorText(error);
}

// A file the run plans for must still be the regular file it was: a
// directory or a link put in its place is left alone.
bool ProcessingPipeline::IsPlannedFile(FileJob& job) {
    struct stat st {};
    const std::string path =
        journal_.Absolute(job.inWorkFolder ? WorkPath(job.currentName) : job.currentName);
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        return true;
    }
    FailJob(job, "Skipped " + Quoted(job.currentName) +
                     (Exists(path) ? ": it is no longer a regular file." : ": it is gone."));
    return false;
}

int ProcessingPipeline::FailedFileCount() const {
    return static_cast<int>(std::count_if(plan_.jobs.begin(), plan_.jobs.end(),
                                          [](const FileJob& job) { return job.failed; }));
}

std::string ProcessingPipeline::SummaryText() const {
    const int total = static_cast<int>(plan_.jobs.size());
    // A run that could not start did nothing; it must not count its files as done.
    if (blocked_) {
        return "No file was changed: see the log";
    }
    const int failedFiles = FailedFileCount();
    if (failedFiles > 0) {
        return std::to_string(failedFiles) + " of " + FilesText(total) + " failed: see the log";
    }
    if (otherFailures_ > 0) {
        return FilesText(total - skipped_) + " done, but the run had " +
               (otherFailures_ == 1 ? std::string("a failure")
                                    : std::to_string(otherFailures_) + " failures") +
               ": see the log";
    }
    if (skipped_ > 0) {
        return FilesText(total - skipped_) + " done, " + std::to_string(skipped_) +
               " skipped: see the log";
    }
    return FilesText(total) + " done.";
}

void ProcessingPipeline::LogSummary(int failed, int skipped, int total) {
    if (failed == 0 && skipped == 0) {
        log_.Log(kDoneText);
        return;
    }
    std::string text;
    if (failed > 0) {
        text = std::to_string(failed) + " of " + FilesText(total) + " failed";
    }
    if (skipped > 0) {
        text += text.empty() ? std::to_string(skipped) + " of " + FilesText(total) + " skipped"
                             : ", " + std::to_string(skipped) + " skipped";
    }
    log_.LogProblem(text + ".");
}

const TrackInfo& ProcessingPipeline::FileOf(const FileJob& job) const {
    return files_[static_cast<std::size_t>(job.fileRecord)];
}

const TrackInfo& ProcessingPipeline::TrackOf(const FileJob& job) const {
    return tracks_[static_cast<std::size_t>(job.trackRecord)];
}

}  // namespace corvane
