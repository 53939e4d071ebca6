#include "processing/ProcessingPipeline.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "naming/FileNameCleanup.h"
#include "naming/NameFormat.h"
#include "platform/FileSystem.h"
#include "processing/PlaylistWriter.h"
#include "processing/RenameBatch.h"

namespace corvane {

namespace {

constexpr const char* kFailedText = "Failed.";

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int MakeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) {
        return 0;
    }
    const int error = errno;
    // An album directory left by an earlier run is simply used again.
    return error == EEXIST && IsDirectory(path) ? 0 : error;
}

std::string FilesText(int count) {
    return count == 1 ? "1 file" : std::to_string(count) + " files";
}

}  // namespace

std::string AlbumDirectoryName(const TrackInfo& firstTrack) {
    // A long artist and album would otherwise make the directory impossible to create.
    return LimitBytes(ReplaceIllegalChars(firstTrack.artist + " - " + firstTrack.album),
                      kMaxFileNameBytes);
}

std::string LocalTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

void ProcessingPipeline::SetLists(const TrackList& files, const TrackList& tracks,
                                  std::vector<int> fileRows, std::vector<int> trackRows,
                                  Mp3InfoObject& mp3Info) {
    files_ = files;
    tracks_ = tracks;
    fileRows_ = std::move(fileRows);
    trackRows_ = std::move(trackRows);
    mp3Info_ = &mp3Info;
    albumFolder_ = files_.empty() ? std::string() : FolderOf(files_.front().filePath);
}

void ProcessingPipeline::SetDependencyOptions(const std::string& searchWords,
                                              bool confirmDependencies) {
    searchWords_ = searchWords;
    confirmDependencies_ = confirmDependencies;
}

void ProcessingPipeline::Start() {
    otherFailures_ = 0;
    skipped_ = 0;
    albumDirEntered_ = false;
    dirName_.clear();
    jobs_.clear();
    log_.Log("Processing Files, started at " + LocalTimeText());
}

void ProcessingPipeline::Finish() {
    log_.Log("Operation finished at " + LocalTimeText());
}

void ProcessingPipeline::RunAll() {
    Start();
    for (int step = 0; step <= kLastStep; ++step) {
        RunStep(step);
    }
    Finish();
}

bool ProcessingPipeline::RunStep(int step) {
    stepProblems_ = 0;
    switch (step) {
        case 0:
            if (options_.createDirectory) {
                CreateDirectoryStep();
            }
            break;
        case 1:
            MoveTagRenameStep();
            break;
        case 2:
            if (options_.createPlaylist) {
                WritePlaylistStep();
            }
            break;
        case 3:
            if (options_.moveDependencies) {
                DependencyStepRun();
            }
            break;
        default:
            break;
    }
    return stepProblems_ == 0;
}

void ProcessingPipeline::CreateDirectoryStep() {
    log_.Log("Creating New Directory...");
    if (files_.empty() || tracks_.empty()) {
        StepFailed("No album to name the directory after.");
        return;
    }
    dirName_ = AlbumDirectoryName(tracks_.front());
    const int error = IsUsableFileName(dirName_) ? MakeDirectory(albumFolder_ + dirName_) : EINVAL;
    if (error != 0) {
        StepFailed("Cannot create the directory " + Quoted(dirName_), error);
        return;
    }
    log_.Log(kDoneText);
}

void ProcessingPipeline::MoveTagRenameStep() {
    jobs_ = PairRows(files_, fileRows_, tracks_, trackRows_);
    if (options_.createDirectory && !MoveFiles()) {
        return;
    }
    log_.Log("Renaming and ID3Tag Files...");
    int skipped = 0;
    if (!options_.createDirectory) {
        if (!EnterFolder(albumFolder_)) {
            return;
        }
        LogSkips(skipped);
        for (FileJob& job : jobs_) {
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
    LogSummary(FailedFileCount(), skipped, static_cast<int>(jobs_.size()));
}

// Moves every paired file into the album directory and makes it current.
// False when the directory cannot be entered: then nothing is touched.
bool ProcessingPipeline::MoveFiles() {
    log_.Log("Moving Files...");
    if (dirName_.empty()) {
        // The directory step has not named a directory: nowhere to move to.
        StepFailed("No album directory to move the files into.");
        return false;
    }
    if (!EnterFolder(albumFolder_ + dirName_)) {
        return false;
    }
    albumDirEntered_ = true;
    int skipped = 0;
    LogSkips(skipped);
    int failed = 0;
    for (FileJob& job : jobs_) {
        if (!job.skipReason.empty()) {
            continue;
        }
        const int error = RenameNoReplace(FileOf(job).filePath, job.currentName);
        if (error != 0) {
            FailJob(job, "Cannot move " + Quoted(job.currentName) + " into " + Quoted(dirName_),
                    error);
            ++failed;
            continue;
        }
        job.inWorkFolder = true;
    }
    LogSummary(failed, skipped, static_cast<int>(jobs_.size()));
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
    for (FileJob& job : jobs_) {
        if (!job.inWorkFolder) {
            continue;
        }
        struct stat st {};
        if (::lstat(job.currentName.c_str(), &st) != 0) {
            FailJob(job, "Cannot find " + Quoted(job.currentName), errno);
            job.inWorkFolder = false;
            continue;
        }
        // The tag is written in place, so a read-only file is made writable.
        ClearReadOnly(job.currentName);
        if (mp3Info_->Open(job.currentName) != 0) {
            FailJob(job, "Cannot read " + Quoted(job.currentName) +
                             " as an MP3 file: its tag is not written.");
            continue;
        }
        const TrackInfo& track = TrackOf(job);
        const int error = mp3Info_->WriteTag(track.title, track.artist, track.album, track.year,
                                             track.comment, track.track, track.genre);
        if (error != 0) {
            FailJob(job, "Cannot write the tag of " + Quoted(job.currentName), error);
        }
    }
}

void ProcessingPipeline::RenameFiles() {
    std::vector<RenameRequest> requests;
    std::vector<FileJob*> renamed;
    for (FileJob& job : jobs_) {
        if (job.inWorkFolder) {
            requests.push_back({job.currentName, TrackOf(job).fileName});
            renamed.push_back(&job);
        }
    }
    const std::vector<RenameResult> results = RenameAll(requests);
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
        FailJob(*renamed[i], text);
    }
}

void ProcessingPipeline::WritePlaylistStep() {
    log_.Log("Creating Playlist...");
    std::vector<PlaylistEntry> entries;
    int failed = 0;
    // The album's track order; each file under the name it has now.
    for (std::size_t track = 0; track < tracks_.size(); ++track) {
        for (const FileJob& job : jobs_) {
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
    const std::string name = PlaylistFileName(tracks_.front());
    const int error = IsUsableFileName(name) ? WriteNewFile(name, BuildPlaylist(entries)) : EINVAL;
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

void ProcessingPipeline::DependencyStepRun() {
    if (dependencyStep_ == nullptr) {
        return;
    }
    DependencyContext context;
    if (!tracks_.empty()) {
        context.firstTrack = tracks_.front();
    }
    context.albumFolder = albumFolder_;
    context.dirName = dirName_;
    context.createDirectory = options_.createDirectory;
    context.albumDirEntered = albumDirEntered_;
    context.searchWords = searchWords_;
    context.confirmDependencies = confirmDependencies_;
    const int failed = dependencyStep_->Run(context, log_);
    otherFailures_ += failed;
    stepProblems_ += failed;
}

void ProcessingPipeline::LogSkips(int& skipped) {
    for (const FileJob& job : jobs_) {
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
    Problem(error != 0 ? reason + ": " + ErrorText(error) : reason);
    ++otherFailures_;
    log_.LogProblem(kFailedText);
}

void ProcessingPipeline::FailJob(FileJob& job, const std::string& reason, int error) {
    Problem(error != 0 ? reason + ": " + ErrorText(error) : reason);
    job.failed = true;
}

int ProcessingPipeline::FailedFileCount() const {
    return static_cast<int>(
        std::count_if(jobs_.begin(), jobs_.end(), [](const FileJob& job) { return job.failed; }));
}

std::string ProcessingPipeline::SummaryText() const {
    const int total = static_cast<int>(jobs_.size());
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
