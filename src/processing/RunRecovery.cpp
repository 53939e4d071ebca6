#include "processing/RunRecovery.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <set>

#include "platform/FileSystem.h"
#include "processing/ProcessingPipeline.h"
#include "processing/RenameBatch.h"
#include "processing/TagBackup.h"

namespace corvane {

namespace {

namespace fs = std::filesystem;

// The audio of a file to be put back is no longer the audio the run tagged.
constexpr int kAudioChanged = -2;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string HashOfFile(const std::string& path) {
    std::string content;
    return ReadWholeFile(path, content) == 0 ? HashText(ContentHash(content)) : std::string();
}

std::size_t ArgumentsOf(JournalOpKind kind) {
    switch (kind) {
        case JournalOpKind::kMove:
        case JournalOpKind::kTag:
        case JournalOpKind::kRestore:
            return 2;
        case JournalOpKind::kWrite:
            return 3;
        default:
            return 1;
    }
}

// Whether a change whose outcome the journal does not hold (the run was
// killed while making it) shows in the folder.
bool ShowsInFolder(const JournalOp& op, const std::string& folder) {
    const std::vector<std::string>& a = op.args;
    switch (op.kind) {
        case JournalOpKind::kMakeDir:
            return IsDirectory(folder + a[0]);
        case JournalOpKind::kMove:
            return !Exists(folder + a[0]) && Exists(folder + a[1]);
        case JournalOpKind::kWrite:
            return HashOfFile(folder + a[1]) == a[2];
        case JournalOpKind::kRemove:
        case JournalOpKind::kRemoveDir:
            return !Exists(folder + a[0]);
        default:
            // A tag write may have happened or not: the run writes it again,
            // an undo puts the old tag back either way.
            return false;
    }
}

// Where the journal's files are, after every change it holds.
struct Replay {
    std::vector<std::string> paths;      // relative to the album folder
    std::vector<std::string> tagCopies;  // the old tag, once a write began
    std::vector<bool> tagDone;
    bool dirMade = false;
    bool playlistWritten = false;
    std::string playlistPath;
    std::string playlistHash;
};

Replay ReplayJournal(const std::string& folder, const JournalRecord& record) {
    Replay r;
    std::map<std::string, std::size_t> owner;  // path -> journal file
    for (std::size_t i = 0; i < record.files.size(); ++i) {
        r.paths.push_back(record.files[i].file.fileName);
        owner[r.paths.back()] = i;
    }
    r.tagCopies.resize(r.paths.size());
    r.tagDone.resize(r.paths.size());
    for (const JournalOp& op : record.ops) {
        if (op.kind == JournalOpKind::kList || op.args.size() < ArgumentsOf(op.kind)) {
            continue;
        }
        const bool done = op.result == JournalOpResult::kDone ||
                          (op.result == JournalOpResult::kPending && ShowsInFolder(op, folder));
        const auto found = owner.find(op.args[0]);
        switch (op.kind) {
            case JournalOpKind::kMakeDir:
                r.dirMade = r.dirMade || done;
                break;
            case JournalOpKind::kRemoveDir:
                r.dirMade = r.dirMade && !done;
                break;
            case JournalOpKind::kMove:
                if (done && found != owner.end()) {
                    const std::size_t i = found->second;
                    owner.erase(found);
                    owner[op.args[1]] = i;
                    r.paths[i] = op.args[1];
                }
                break;
            case JournalOpKind::kTag:
                if (found != owner.end()) {
                    r.tagCopies[found->second] = op.args[1];
                    r.tagDone[found->second] = done;
                }
                break;
            case JournalOpKind::kWrite:
                if (done) {
                    r.playlistWritten = true;
                    r.playlistPath = op.args[1];
                    r.playlistHash = op.args[2];
                }
                break;
            case JournalOpKind::kRemove:
                r.playlistWritten = r.playlistWritten && !(done && op.args[0] == r.playlistPath);
                break;
            default:
                break;
        }
    }
    return r;
}

// Before going on with a journal: the outcome of the change the run was
// killed in is written down, and the temporary files it may have left go.
void Tidy(RunJournal& journal, const JournalRecord& record, const Replay& replay) {
    const std::string folder = journal.AlbumFolder();
    const std::string own = JournalFolderOf(folder) + "/";
    journal.Ops().RemoveFile(own + "playlist.tmp");
    journal.Ops().RemoveFile(own + "restore.tmp");
    if (record.ops.empty() || record.ops.back().result != JournalOpResult::kPending ||
        record.ops.back().kind == JournalOpKind::kList) {
        return;
    }
    const JournalOp& last = record.ops.back();
    journal.Outcome(ShowsInFolder(last, folder) ? 0 : EINTR);
    if (last.kind != JournalOpKind::kTag || record.ops.size() < 2) {
        return;
    }
    // A tag writer's temporary file: what has come into the folder since the
    // listing before the first write, and is none of the run's own files.
    const JournalOp* listing = nullptr;
    for (const JournalOp& op : record.ops) {
        listing = op.kind == JournalOpKind::kList && !op.args.empty() ? &op : listing;
    }
    if (listing == nullptr) {
        return;
    }
    const std::string dir = listing->args[0];
    std::set<std::string> known(listing->args.begin() + 1, listing->args.end());
    known.insert(kJournalFolder);
    known.insert(record.playlistName);
    for (const std::string& path : replay.paths) {
        known.insert(fs::path(path).filename().string());
    }
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder + dir, ignored)) {
        const std::string name = entry.path().filename().string();
        if (known.count(name) == 0 && entry.is_regular_file(ignored)) {
            journal.Remove(dir + name);
        }
    }
}

// The journal's files as the run's plan, each job where the journal left it.
RunState MakeRunState(const std::string& folder, const JournalRecord& record,
                      const Replay& replay) {
    RunState state;
    state.plan.albumFolder = folder;
    state.plan.dirName = record.dirName;
    state.plan.playlistName = record.playlistName;
    const std::string prefix = record.dirName + "/";
    for (std::size_t i = 0; i < record.files.size(); ++i) {
        TrackInfo file = record.files[i].file;
        file.filePath = folder + file.fileName;
        state.files.push_back(file);
        state.tracks.push_back(record.files[i].track);
        FileJob job;
        job.row = job.fileRecord = job.trackRecord = static_cast<int>(i);
        job.newName = record.files[i].track.fileName;
        const std::string& path = replay.paths[i];
        job.inWorkFolder = !record.dirName.empty() && path.rfind(prefix, 0) == 0;
        job.currentName = job.inWorkFolder ? path.substr(prefix.size()) : path;
        job.tagDone = replay.tagDone[i];
        job.oldTagCopy = replay.tagCopies[i];
        state.plan.jobs.push_back(job);
    }
    state.dirReady = !record.dirName.empty() && IsDirectory(folder + record.dirName);
    state.playlistDone = replay.playlistWritten;
    return state;
}

void RemoveJournal(FileOps& ops, const std::string& folder);

bool OpenJournal(const std::string& albumFolder, RunJournal& journal, JournalRecord& record) {
    if (!ReadJournal(albumFolder, record)) {
        // A plan not written to its end: the run was killed before any change.
        if (IsDirectory(JournalFolderOf(albumFolder))) {
            RemoveJournal(journal.Ops(), albumFolder);
        }
        return false;
    }
    journal.Continue(WithSlash(albumFolder));
    return true;
}

// Puts the old tag back around the audio of the file at path.
int RestoreTag(RunJournal& journal, const std::string& path, const std::string& tagCopy) {
    std::string backup;
    std::string tagged;
    if (const int error = ReadWholeFile(journal.Absolute(tagCopy), backup); error != 0) {
        return error;
    }
    if (const int error = ReadWholeFile(journal.Absolute(path), tagged); error != 0) {
        return error;
    }
    std::string restored;
    if (!RestoreFromTagBackup(backup, tagged, restored)) {
        return kAudioChanged;
    }
    if (restored == tagged) {
        return 0;
    }
    const std::string temporary = std::string(kJournalFolder) + "/restore.tmp";
    if (const int error = journal.Note(JournalOpKind::kRestore, {temporary, path}); error != 0) {
        return error;
    }
    int error = journal.Ops().CreateFile(journal.Absolute(temporary), restored);
    struct stat st {};
    if (error == 0 && ::stat(journal.Absolute(path).c_str(), &st) == 0) {
        ::chmod(journal.Absolute(temporary).c_str(), st.st_mode & 07777);
    }
    if (error == 0) {
        error = journal.Ops().ReplaceFile(journal.Absolute(temporary), journal.Absolute(path));
    }
    journal.Outcome(error);
    return error;
}

// Undoes one kind of change for every file, logging a section of its own.
class Undoer {
public:
    Undoer(RunJournal& journal, const JournalRecord& record, Replay& replay, ProcessingLog& log)
        : journal_(journal), record_(record), replay_(replay), log_(log) {}

    int Run() {
        PutTagsBack();
        PutNamesBack();
        if (!record_.dirName.empty()) {
            MoveFilesBack();
        }
        if (replay_.playlistWritten) {
            RemovePlaylist();
        }
        if (replay_.dirMade) {
            RemoveDirectory();
        }
        return problems_;
    }

private:
    void PutTagsBack() {
        Begin("Putting Back the Tags...");
        for (std::size_t i = 0; i < replay_.paths.size(); ++i) {
            if (replay_.tagCopies[i].empty()) {
                continue;
            }
            const int error = RestoreTag(journal_, replay_.paths[i], replay_.tagCopies[i]);
            if (error == kAudioChanged) {
                Problem("Cannot put back the tag of " + Quoted(replay_.paths[i]) +
                        ": its audio has changed since the run.");
            } else if (error != 0) {
                Problem("Cannot put back the tag of " + Quoted(replay_.paths[i]) + ": " +
                        ErrorText(error));
            }
        }
        End();
    }

    void PutNamesBack() {
        Begin("Putting Back the Names...");
        const std::string dir = record_.dirName.empty() ? "" : record_.dirName + "/";
        std::vector<RenameRequest> requests;
        std::vector<std::size_t> files;
        for (std::size_t i = 0; i < replay_.paths.size(); ++i) {
            const std::string& path = replay_.paths[i];
            if (path.rfind(dir, 0) == 0 && path.find('/', dir.size()) == std::string::npos) {
                requests.push_back({path.substr(dir.size()), record_.files[i].file.fileName});
                files.push_back(i);
            }
        }
        const auto results =
            RenameAll(requests, journal_.Absolute(dir),
                      [this, &dir](const std::string& from, const std::string& to) {
                          return journal_.Move(dir + from, dir + to);
                      });
        for (std::size_t k = 0; k < results.size(); ++k) {
            replay_.paths[files[k]] = dir + results[k].finalName;
            if (results[k].error != 0) {
                Problem("Cannot rename " + Quoted(requests[k].from) + " back to " +
                        Quoted(requests[k].to) + ": " + ErrorText(results[k].error));
            }
        }
        End();
    }

    void MoveFilesBack() {
        Begin("Moving Files Back...");
        const std::string dir = record_.dirName + "/";
        for (std::size_t i = 0; i < replay_.paths.size(); ++i) {
            const std::string& oldName = record_.files[i].file.fileName;
            if (replay_.paths[i] != dir + oldName) {
                continue;
            }
            if (const int error = journal_.Move(replay_.paths[i], oldName); error != 0) {
                Problem("Cannot move " + Quoted(replay_.paths[i]) + " back: " + ErrorText(error));
            }
        }
        End();
    }

    void RemovePlaylist() {
        Begin("Removing the Playlist...");
        const std::string& path = replay_.playlistPath;
        const std::string hash = HashOfFile(journal_.Absolute(path));
        if (hash == replay_.playlistHash) {
            if (const int error = journal_.Remove(path); error != 0) {
                Problem("Cannot remove " + Quoted(path) + ": " + ErrorText(error));
            }
        } else if (Exists(journal_.Absolute(path))) {
            Problem("The playlist " + Quoted(path) + " has changed since the run: it stays.");
        }
        End();
    }

    void RemoveDirectory() {
        Begin("Removing the Directory...");
        const int error = journal_.RemoveDirectory(record_.dirName);
        if (error != 0 && error != ENOENT) {
            Problem("Cannot remove the directory " + Quoted(record_.dirName) + ": " +
                    ErrorText(error));
        }
        End();
    }

    void Begin(const std::string& line) {
        log_.Log(line);
        sectionProblems_ = 0;
    }
    void End() {
        if (sectionProblems_ == 0) {
            log_.Log(kDoneText);
        } else {
            log_.LogProblem(std::to_string(sectionProblems_) + " failed.");
        }
    }
    void Problem(const std::string& text) {
        log_.LogProblem(text);
        ++sectionProblems_;
        ++problems_;
    }

    RunJournal& journal_;
    const JournalRecord& record_;
    Replay& replay_;
    ProcessingLog& log_;
    int problems_ = 0;
    int sectionProblems_ = 0;
};

// An undone run leaves nothing behind: the old tags go first, the journal last.
void RemoveJournal(FileOps& ops, const std::string& folder) {
    const std::string own = JournalFolderOf(folder);
    std::error_code ignored;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(own, ignored)) {
        names.push_back(entry.path().filename().string());
    }
    for (const std::string& name : names) {
        if (name != "journal") {
            ops.RemoveFile(own + "/" + name);
        }
    }
    ops.RemoveFile(own + "/journal");
    ops.RemoveDirectory(own);
}

}  // namespace

FoundRun FindRun(const std::string& folder) {
    JournalRecord record;
    if (ReadJournal(folder, record)) {
        return {true, folder, record.stage};
    }
    const fs::path path = fs::path(folder).lexically_normal();
    const fs::path own = path.has_filename() ? path : path.parent_path();
    const std::string parent = own.parent_path().string();
    if (!parent.empty() && ReadJournal(parent, record) && !record.dirName.empty() &&
        record.dirName == own.filename().string()) {
        return {true, parent, record.stage};
    }
    return {};
}

int ResumeRun(const std::string& albumFolder, Mp3InfoObject& mp3Info, ProcessingLog& log,
              FileOps* ops) {
    FileOps ownOps;
    RunJournal journal(ops != nullptr ? *ops : ownOps);
    JournalRecord record;
    if (!OpenJournal(albumFolder, journal, record) || record.stage != RunStage::kRunning) {
        log.LogProblem(record.stage == RunStage::kUndoing
                           ? "An undo of the last run was begun: undo it again."
                           : "There is no unfinished run in this folder.");
        return -1;
    }
    const std::string folder = journal.AlbumFolder();
    const Replay replay = ReplayJournal(folder, record);
    Tidy(journal, record, replay);
    ProcessingPipeline pipeline(log, &journal.Ops());
    pipeline.SetResume(MakeRunState(folder, record, replay), mp3Info);
    pipeline.RunAll();
    return pipeline.FailureCount();
}

int UndoRun(const std::string& albumFolder, ProcessingLog& log, FileOps* ops) {
    FileOps ownOps;
    RunJournal journal(ops != nullptr ? *ops : ownOps);
    JournalRecord record;
    if (!OpenJournal(albumFolder, journal, record) || record.stage == RunStage::kUndone) {
        log.LogProblem("There is no run to undo in this folder.");
        return -1;
    }
    const std::string folder = journal.AlbumFolder();
    Replay replay = ReplayJournal(folder, record);
    Tidy(journal, record, replay);
    journal.Mark(RunStage::kUndoing);
    log.Log("Undoing the last run, started at " + LocalTimeText());
    const int problems = Undoer(journal, record, replay, log).Run();
    log.Log("Operation finished at " + LocalTimeText());
    if (journal.Mark(RunStage::kUndone) == 0 && problems == 0) {
        RemoveJournal(journal.Ops(), folder);
    }
    return problems;
}

}  // namespace corvane
