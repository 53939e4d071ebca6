#include "processing/RunRecovery.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <set>

#include "platform/FileSystem.h"
#include "processing/Dependencies.h"
#include "processing/ProcessingPipeline.h"
#include "processing/RenameBatch.h"
#include "processing/RunLock.h"
#include "processing/TagBackup.h"

namespace corvane {

namespace {

namespace fs = std::filesystem;

// The audio of a file to be put back is no longer the audio the run tagged.
constexpr int kAudioChanged = -2;
// Its tag is no longer the one the run wrote: the user's stays.
constexpr int kTagChanged = -3;

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string BaseName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

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
    std::vector<std::string> tagDigests;  // of the tag written, when known
    // The album's other files that the run moved, from -> to, in order.
    std::vector<std::pair<std::string, std::string>> otherMoves;
    bool dependenciesBegun = false;
    std::map<std::string, bool> dependencyMoved;  // chosen name -> moved
    bool dirMade = false;
    bool playlistWritten = false;
    std::string playlistPath;
    std::string playlistHash;
    // The cover the run saved, when it is still there.
    std::string coverPath;
    std::string coverHash;
};

// A move of a file that is none of the run's MP3 files: a dependency, or
// one put back by an undo.
void ReplayOtherMove(const JournalOp& op, bool done, Replay& r) {
    const auto chosen = r.dependencyMoved.find(op.args[0]);
    if (chosen != r.dependencyMoved.end()) {
        chosen->second = chosen->second || done;
    }
    if (!done) {
        return;
    }
    const auto back = std::find_if(r.otherMoves.begin(), r.otherMoves.end(), [&op](const auto& m) {
        return m.second == op.args[0] && m.first == op.args[1];
    });
    if (back != r.otherMoves.end()) {
        r.otherMoves.erase(back);
    } else {
        r.otherMoves.emplace_back(op.args[0], op.args[1]);
    }
}

Replay ReplayJournal(const std::string& folder, const JournalRecord& record) {
    Replay r;
    std::map<std::string, std::size_t> owner;  // path -> journal file
    for (std::size_t i = 0; i < record.files.size(); ++i) {
        r.paths.push_back(record.files[i].file.fileName);
        owner[r.paths.back()] = i;
    }
    r.tagCopies.resize(r.paths.size());
    r.tagDone.resize(r.paths.size());
    r.tagDigests.resize(r.paths.size());
    for (const JournalOp& op : record.ops) {
        if (op.kind == JournalOpKind::kDependencies) {
            r.dependenciesBegun = true;
            for (const std::string& name : op.args) {
                r.dependencyMoved.emplace(name, false);
            }
            continue;
        }
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
                if (found == owner.end()) {
                    ReplayOtherMove(op, done, r);
                } else if (done) {
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
                    r.tagDigests[found->second] = done ? op.detail : std::string();
                }
                break;
            case JournalOpKind::kWrite:
                if (done && op.args[0] == kCoverTemporary) {
                    r.coverPath = op.args[1];
                    r.coverHash = op.args[2];
                } else if (done) {
                    r.playlistWritten = true;
                    r.playlistPath = op.args[1];
                    r.playlistHash = op.args[2];
                }
                break;
            case JournalOpKind::kRemove:
                r.playlistWritten = r.playlistWritten && !(done && op.args[0] == r.playlistPath);
                if (done && op.args[0] == r.coverPath) {
                    r.coverPath.clear();
                }
                break;
            default:
                break;
        }
    }
    return r;
}

// Before going on with a journal: the outcome of each change the run was
// killed in is written down, and the temporary files it may have left go.
void Tidy(RunJournal& journal, const JournalRecord& record, const Replay& replay) {
    const std::string folder = journal.AlbumFolder();
    const std::string own = JournalFolderOf(folder) + "/";
    const JournalOp* listing = nullptr;
    std::set<std::string> interrupted;  // files whose tag write did not come to its end
    for (const JournalOp& op : record.ops) {
        listing = op.kind == JournalOpKind::kList && !op.args.empty() ? &op : listing;
        if (op.kind == JournalOpKind::kTag && op.result != JournalOpResult::kDone) {
            interrupted.insert(BaseName(op.args[0]));
        }
        if (HasOutcome(op.kind) && op.result == JournalOpResult::kPending) {
            journal.Outcome(ShowsInFolder(op, folder) ? 0 : EINTR);
        }
    }
    journal.Commit();
    for (const char* temporary : {"playlist.tmp", "restore.tmp", "cover.tmp"}) {
        if (Exists(own + temporary)) {
            journal.Remove(std::string(kJournalFolder) + "/" + temporary);
        }
    }
    journal.Commit();
    if (listing == nullptr || interrupted.empty()) {
        return;
    }
    // A tag writer's temporary file: what has come into the folder since the
    // listing before the writes, is none of the run's own files, and is
    // named after a file whose write was cut short.
    const std::string dir = listing->args[0];
    std::set<std::string> known(listing->args.begin() + 1, listing->args.end());
    known.insert(kJournalFolder);
    known.insert(record.playlistName);
    for (const std::string& path : replay.paths) {
        known.insert(BaseName(path));
    }
    std::error_code ignored;
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder + dir, ignored)) {
        const std::string name = entry.path().filename().string();
        const bool ofInterrupted =
            std::any_of(interrupted.begin(), interrupted.end(), [&name](const std::string& file) {
                return name.size() > file.size() &&
                       name.compare(0, file.size() + 1, file + ".") == 0;
            });
        if (known.count(name) == 0 && ofInterrupted && entry.is_regular_file(ignored)) {
            left.push_back(name);
        }
    }
    for (const std::string& name : left) {
        journal.Remove(dir + name);
    }
    journal.Commit();
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
    state.dependencies = record.dependencies;
    state.dependenciesBegun = replay.dependenciesBegun;
    for (const auto& [name, moved] : replay.dependencyMoved) {
        if (!moved && Exists(folder + name)) {
            state.dependencyNames.push_back(name);
        }
    }
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

// Puts the old tag back around the audio of the file at path, when its tag
// is still the one the run wrote (digest; empty: not known).
int RestoreTag(RunJournal& journal, const std::string& path, const std::string& tagCopy,
               const std::string& digest) {
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
    if (!digest.empty() && TagDigest(tagged) != digest) {
        return kTagChanged;
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
    journal.Touch(kJournalFolder);
    journal.TouchParentOf(path);
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
        if (!replay_.coverPath.empty()) {
            RemoveWritten("Removing the Cover...", "The cover ", replay_.coverPath,
                          replay_.coverHash);
        }
        if (replay_.dirMade) {
            RemoveDirectory();
        }
        for (const std::string& line : kept_) {
            log_.LogProblem(line);
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
            if (!IsRegularFile(journal_.Absolute(replay_.paths[i]))) {
                continue;  // named when it is moved back
            }
            const int error =
                RestoreTag(journal_, replay_.paths[i], replay_.tagCopies[i], replay_.tagDigests[i]);
            // The user's own changes stay, and the report names them.
            if (error == kAudioChanged) {
                kept_.push_back("kept the file whose audio changed since the run: " +
                                replay_.paths[i]);
            } else if (error == kTagChanged) {
                kept_.push_back("kept the tag changed since the run: " + replay_.paths[i]);
            } else if (error != 0) {
                Problem("Cannot put back the tag of " + Quoted(replay_.paths[i]) + ": " +
                        ErrorText(error));
            }
        }
        journal_.Commit();
        End();
    }

    void PutNamesBack() {
        Begin("Putting Back the Names...");
        const std::string dir = record_.dirName.empty() ? "" : record_.dirName + "/";
        std::vector<RenameRequest> requests;
        std::vector<std::size_t> files;
        for (std::size_t i = 0; i < replay_.paths.size(); ++i) {
            const std::string& path = replay_.paths[i];
            if (path != record_.files[i].file.fileName && !IsRegularFile(journal_.Absolute(path))) {
                Problem("Cannot put back " + Quoted(path) + ": it is no longer a regular file.");
                replay_.paths[i].clear();
            } else if (path.rfind(dir, 0) == 0 && path.find('/', dir.size()) == std::string::npos) {
                requests.push_back({path.substr(dir.size()), record_.files[i].file.fileName});
                files.push_back(i);
            }
        }
        const auto results = journal_.RenameAll(requests, dir);
        for (std::size_t k = 0; k < results.size(); ++k) {
            replay_.paths[files[k]] = dir + results[k].finalName;
            if (results[k].error != 0) {
                Problem("Cannot rename " + Quoted(requests[k].from) + " back to " +
                        Quoted(requests[k].to) + ": " + ErrorText(results[k].error));
            }
        }
        journal_.Commit();
        End();
    }

    // The run's files and then the album's other files, in one group each.
    void MoveFilesBack() {
        Begin("Moving Files Back...");
        const std::string dir = record_.dirName + "/";
        std::vector<std::pair<std::string, std::string>> moves;
        for (std::size_t i = 0; i < replay_.paths.size(); ++i) {
            const std::string& oldName = record_.files[i].file.fileName;
            if (replay_.paths[i] == dir + oldName) {
                moves.emplace_back(replay_.paths[i], oldName);
            }
        }
        MoveBack(moves);
        moves.clear();
        for (auto move = replay_.otherMoves.rbegin(); move != replay_.otherMoves.rend(); ++move) {
            if (IsRegularFile(journal_.Absolute(move->second))) {
                moves.emplace_back(move->second, move->first);
            } else if (Exists(journal_.Absolute(move->second))) {
                Problem("Cannot move " + Quoted(move->second) +
                        " back: it is no longer a regular file.");
            }
        }
        MoveBack(moves);
        End();
    }

    void MoveBack(const std::vector<std::pair<std::string, std::string>>& moves) {
        const std::vector<int> errors = journal_.MoveGroup(moves);
        for (std::size_t i = 0; i < moves.size(); ++i) {
            if (errors[i] != 0) {
                Problem("Cannot move " + Quoted(moves[i].first) + " back: " + ErrorText(errors[i]));
            }
        }
    }

    void RemovePlaylist() {
        RemoveWritten("Removing the Playlist...", "The playlist ", replay_.playlistPath,
                      replay_.playlistHash);
    }

    // A file the run wrote, unless it has changed since.
    void RemoveWritten(const char* section, const char* what, const std::string& path,
                       const std::string& written) {
        Begin(section);
        const std::string hash = HashOfFile(journal_.Absolute(path));
        if (hash == written) {
            if (const int error = journal_.Remove(path); error != 0) {
                Problem("Cannot remove " + Quoted(path) + ": " + ErrorText(error));
            }
        } else if (Exists(journal_.Absolute(path))) {
            Problem(what + Quoted(path) + " has changed since the run: it stays.");
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
        journal_.Commit();
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
    std::vector<std::string> kept_;  // what the user changed since the run, which stays
};

// An undone run leaves nothing behind: the old tags go first, the journal
// last, so that an undo killed meanwhile finds the journal and goes on.
void RemoveJournal(FileOps& ops, const std::string& folder) {
    const std::string own = JournalFolderOf(folder);
    std::error_code ignored;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(own, ignored)) {
        names.push_back(entry.path().filename().string());
    }
    for (const std::string& name : names) {
        if (name != "journal" && name != "lock") {
            ops.RemoveFile(own + "/" + name);
        }
    }
    ops.RemoveFile(own + "/journal");
    // The lock file goes while this process still holds the folder itself.
    ops.RemoveFile(own + "/lock");
    ops.RemoveDirectory(own);
    ops.SyncDirectory(folder);
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
    RunLock lock;
    if (lock.LockRunOf(albumFolder) == EWOULDBLOCK) {
        log.LogProblem(kFolderLockedText);
        return -1;
    }
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
    pipeline.SetLock(std::move(lock));
    pipeline.SetResume(MakeRunState(folder, record, replay), mp3Info);
    // Killed before it had chosen the album's other files: it chooses them now, unasked.
    DependencyMover dependencies;
    dependencies.SetMoveAll(record.allDependencies);
    pipeline.SetDependencyStep(&dependencies);
    pipeline.SetDependencyOptions(record.dependencyWords, false);
    pipeline.RunAll();
    return pipeline.FailureCount();
}

int UndoRun(const std::string& albumFolder, ProcessingLog& log, FileOps* ops) {
    // What an undo killed while it cleared the journal away leaves (before
    // the lock makes the folder itself).
    const bool leftBehind = IsDirectory(JournalFolderOf(albumFolder));
    RunLock lock;
    if (lock.LockRunOf(albumFolder) == EWOULDBLOCK) {
        log.LogProblem(kFolderLockedText);
        return -1;
    }
    FileOps ownOps;
    RunJournal journal(ops != nullptr ? *ops : ownOps);
    JournalRecord record;
    if (!OpenJournal(albumFolder, journal, record)) {
        if (leftBehind) {
            return 0;  // cleared away now
        }
        log.LogProblem("There is no run to undo in this folder.");
        return -1;
    }
    const std::string folder = journal.AlbumFolder();
    if (record.stage == RunStage::kUndone) {
        // An undo that was killed while it cleared the journal away.
        RemoveJournal(journal.Ops(), folder);
        return 0;
    }
    Replay replay = ReplayJournal(folder, record);
    Tidy(journal, record, replay);
    journal.Mark(RunStage::kUndoing);
    log.Log("Undoing the last run, started at " + LocalTimeText());
    int problems = Undoer(journal, record, replay, log).Run();
    log.Log("Operation finished at " + LocalTimeText());
    if (const int error = journal.Mark(RunStage::kUndone); error != 0) {
        // Without its last mark the journal would block the folder unseen.
        log.LogProblem("Cannot write the run journal " + Quoted(journal.Path()) + ": " +
                       ErrorText(error));
        ++problems;
    } else if (problems == 0) {
        RemoveJournal(journal.Ops(), folder);
    }
    return problems;
}

}  // namespace corvane
