#pragma once

#include <string>
#include <utility>
#include <vector>

#include "album/TrackInfo.h"
#include "platform/FileOps.h"
#include "processing/RenameBatch.h"

namespace corvane {

// The run journal lies in this folder inside the album folder, with the old
// tags kept beside it.
inline constexpr const char* kJournalFolder = ".corvane-run";
// Where a run writes the album's cover before renaming it into place.
inline constexpr const char* kCoverTemporary = ".corvane-run/cover.tmp";

// One file a run handles: its record (old name, play time) and its album
// track (new name in fileName, the tag fields).
struct JournalFile {
    TrackInfo file;
    TrackInfo track;
};

enum class JournalOpKind {
    kMakeDir,       // dir
    kMove,          // from, to
    kTag,           // file index, path, old-tag copy
    kWrite,         // temporary, path, content hash
    kRestore,       // temporary, path
    kRemove,        // path
    kRemoveDir,     // dir
    kList,          // folder, the names in it (no outcome)
    kDependencies,  // the files the dependencies step chose; its moves follow (no outcome)
};

// Whether the journal gives the change an outcome line ("ok" or "fail").
bool HasOutcome(JournalOpKind kind);

enum class JournalOpResult { kPending, kDone, kFailed };

struct JournalOp {
    JournalOpKind kind = JournalOpKind::kMove;
    std::vector<std::string> args;
    JournalOpResult result = JournalOpResult::kPending;
    int error = 0;
    std::string detail;  // of a done tag write: the digest of the tag written
};

enum class RunStage { kRunning, kFinished, kUndoing, kUndone };

// What a journal holds: the plan of the run and every change begun, in
// order. Paths are relative to the album folder, so that a folder that is
// moved or copied keeps a usable journal.
struct JournalRecord {
    std::string dirName;           // the album directory; empty: the files stay
    std::string playlistName;      // empty: no playlist
    bool dependencies = false;     // the run moves the album's other files
    bool allDependencies = false;  // every one of them, matched or not
    std::string dependencyWords;   // the words that match them
    std::vector<JournalFile> files;
    std::vector<JournalOp> ops;
    RunStage stage = RunStage::kRunning;
};

// albumFolder/.corvane-run (no slash at the end).
std::string JournalFolderOf(const std::string& albumFolder);

// Reads the journal of albumFolder; false when there is none. A last line
// cut short by a crash is left out: its change had not begun.
bool ReadJournal(const std::string& albumFolder, JournalRecord& record);

// Writes the journal of a run as it goes: each change, or each group of
// changes, is written and synced before it is made. Outcomes are kept until
// Commit, which syncs every folder the changes touched first, so that no
// outcome is on the disk before the change it tells of. An outcome belongs
// to the earliest change that has none. When the journal cannot be written,
// the change is not made and the caller gets the journal's error.
class RunJournal {
public:
    explicit RunJournal(FileOps& ops) : ops_(ops) {}

    // A fresh journal with the plan, replacing the one of an earlier run.
    int Begin(const std::string& albumFolder, const JournalRecord& plan);
    // Goes on with the journal that lies there (to finish or undo a run).
    void Continue(const std::string& albumFolder);
    bool IsOpen() const { return !albumFolder_.empty(); }

    int Note(JournalOpKind kind, const std::vector<std::string>& args);
    // Several changes in one write and one sync.
    int NoteGroup(const std::vector<JournalOp>& ops);
    void Outcome(int error, const std::string& detail = {});
    // A folder (relative; "" is the album folder) whose entries changed.
    void Touch(const std::string& dir);
    // The parent folder of a relative path.
    void TouchParentOf(const std::string& path);
    // Syncs the folders touched, then writes the outcomes kept.
    void Commit();
    // Commits, then writes the stage, synced.
    int Mark(RunStage stage);
    // The error that stopped the journal (0: none) and its path, for a message.
    int Error() const { return error_; }
    std::string Path() const;

    // The change and its journal lines in one call; paths are relative.
    int MakeDirectory(const std::string& dir);
    int Move(const std::string& from, const std::string& to);
    // Moves in one group, noted with the lines before them, then committed;
    // the error of each.
    std::vector<int> MoveGroup(const std::vector<std::pair<std::string, std::string>>& moves,
                               const std::vector<JournalOp>& before = {});
    // RenameAll in the folder dir ("" or ending in "/"), its moves in one
    // group where it can.
    std::vector<RenameResult> RenameAll(const std::vector<RenameRequest>& requests,
                                        const std::string& dir);
    int Remove(const std::string& path);
    int RemoveDirectory(const std::string& dir);

    std::string Absolute(const std::string& relative) const;
    const std::string& AlbumFolder() const { return albumFolder_; }
    FileOps& Ops() { return ops_; }

private:
    void SetFolder(const std::string& albumFolder);
    int Write(const std::string& line, bool sync);

    FileOps& ops_;
    std::string albumFolder_;  // ends in "/"
    int error_ = 0;            // the journal could not be written
    std::string outcomes_;     // not written yet
    std::vector<std::string> touched_;
};

}  // namespace corvane
