#include "processing/RunJournal.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/FileSystem.h"

namespace corvane {

namespace {

constexpr const char* kHeader = "corvane-run 1";
constexpr const char* kJournalName = "journal";

struct KindName {
    JournalOpKind kind;
    const char* name;
};
constexpr KindName kKindNames[] = {
    {JournalOpKind::kMakeDir, "mkdir"},     {JournalOpKind::kMove, "move"},
    {JournalOpKind::kTag, "tag"},           {JournalOpKind::kWrite, "write"},
    {JournalOpKind::kRestore, "restore"},   {JournalOpKind::kRemove, "remove"},
    {JournalOpKind::kRemoveDir, "rmdir"},   {JournalOpKind::kList, "list"},
    {JournalOpKind::kDependencies, "deps"},
};

struct StageName {
    RunStage stage;
    const char* name;
};
constexpr StageName kStageNames[] = {
    {RunStage::kFinished, "end"}, {RunStage::kUndoing, "undo"}, {RunStage::kUndone, "undone"}};

// A word of a journal line: blanks, control bytes and "%" as %XX; an empty
// word as a lone "%". Any byte of a file name survives.
std::string Escaped(const std::string& text) {
    if (text.empty()) {
        return "%";
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F || byte == '%') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string Unescaped(const std::string& word) {
    std::string out;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] == '%' && i + 2 < word.size() && HexValue(word[i + 1]) >= 0 &&
            HexValue(word[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(word[i + 1]) * 16 + HexValue(word[i + 2]));
            i += 2;
        } else if (word[i] != '%') {
            out += word[i];
        }
    }
    return out;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) {
        words.push_back(Unescaped(word));
    }
    return words;
}

std::string Line(const std::string& first, const std::vector<std::string>& rest) {
    std::string line = first;
    for (const std::string& word : rest) {
        line += ' ';
        line += Escaped(word);
    }
    return line + "\n";
}

std::vector<std::string> FileWords(const JournalFile& entry) {
    const TrackInfo& t = entry.track;
    return {entry.file.fileName,
            std::to_string(entry.file.playSeconds),
            t.fileName,
            t.title,
            t.artist,
            t.album,
            t.year,
            t.comment,
            t.track,
            t.genre,
            t.albumArtist,
            std::to_string(t.trackCount),
            std::to_string(t.discNumber),
            std::to_string(t.discCount),
            t.ids.cddbDiscId,
            t.ids.musicBrainzAlbumId,
            t.ids.musicBrainzAlbumArtistId,
            t.ids.musicBrainzReleaseGroupId,
            t.ids.musicBrainzDiscId,
            t.ids.musicBrainzRecordingId};
}

std::int32_t Number(const std::string& text) {
    return static_cast<std::int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

// A journal of an older run holds the seven fields only.
bool ReadFileWords(const std::vector<std::string>& words, JournalFile& entry) {
    if (words.size() != 11 && words.size() != 21) {
        return false;
    }
    entry.file.fileName = words[1];
    entry.file.playSeconds = static_cast<std::uint32_t>(std::stoul("0" + words[2]));
    TrackInfo& t = entry.track;
    t.fileName = words[3];
    t.title = words[4];
    t.artist = words[5];
    t.album = words[6];
    t.year = words[7];
    t.comment = words[8];
    t.track = words[9];
    t.genre = words[10];
    if (words.size() == 21) {
        t.albumArtist = words[11];
        t.trackCount = Number(words[12]);
        t.discNumber = Number(words[13]);
        t.discCount = Number(words[14]);
        t.ids = {words[15], words[16], words[17], words[18], words[19], words[20]};
    }
    return true;
}

const char* KindWord(JournalOpKind kind) {
    for (const KindName& name : kKindNames) {
        if (name.kind == kind) {
            return name.name;
        }
    }
    return "?";
}

// Reads one line of the part after the plan into record; waiting: the
// first change without an outcome, which the next outcome line is for.
void ReadOpLine(const std::vector<std::string>& words, JournalRecord& record,
                std::size_t& waiting) {
    const std::string& first = words.front();
    if (first == "ok" || first == "fail") {
        while (waiting < record.ops.size() && !HasOutcome(record.ops[waiting].kind)) {
            ++waiting;
        }
        if (waiting < record.ops.size()) {
            JournalOp& op = record.ops[waiting++];
            op.result = first == "ok" ? JournalOpResult::kDone : JournalOpResult::kFailed;
            if (first == "ok") {
                op.detail = words.size() > 1 ? words[1] : std::string();
            } else {
                op.error = words.size() > 1 ? std::atoi(words[1].c_str()) : EIO;
            }
        }
        return;
    }
    for (const StageName& stage : kStageNames) {
        if (first == stage.name) {
            record.stage = stage.stage;
            return;
        }
    }
    for (const KindName& kind : kKindNames) {
        if (first == kind.name) {
            record.ops.push_back({kind.kind, {words.begin() + 1, words.end()}, {}, 0, {}});
            return;
        }
    }
}

}  // namespace

bool HasOutcome(JournalOpKind kind) {
    return kind != JournalOpKind::kList && kind != JournalOpKind::kDependencies;
}

std::string JournalFolderOf(const std::string& albumFolder) {
    std::string folder = albumFolder;
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder + kJournalFolder;
}

bool ReadJournal(const std::string& albumFolder, JournalRecord& record) {
    record = {};
    std::string text;
    if (ReadWholeFile(JournalFolderOf(albumFolder) + "/" + kJournalName, text) != 0 ||
        text.rfind(std::string(kHeader) + "\n", 0) != 0) {
        return false;
    }
    bool inPlan = true;
    std::size_t waiting = 0;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::vector<std::string> words = Words(text.substr(start, end - start));
        if (words.empty() || start == 0) {
            continue;
        }
        if (!inPlan) {
            ReadOpLine(words, record, waiting);
        } else if (words[0] == "dir" && words.size() == 2) {
            record.dirName = words[1];
        } else if (words[0] == "playlist" && words.size() == 2) {
            record.playlistName = words[1];
        } else if (words[0] == "deps" && words.size() == 3) {
            record.dependencies = true;
            record.allDependencies = words[1] == "all";
            record.dependencyWords = words[2];
        } else if (words[0] == "file") {
            JournalFile entry;
            if (!ReadFileWords(words, entry)) {
                return false;
            }
            record.files.push_back(std::move(entry));
        } else if (words[0] == "plan") {
            inPlan = false;
        }
    }
    // A plan that was not written to its end: no change was begun.
    return !inPlan;
}

int RunJournal::Begin(const std::string& albumFolder, const JournalRecord& plan) {
    SetFolder(albumFolder);
    const std::string folder = JournalFolderOf(albumFolder);
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        // The lock file stays: the run holds it.
        if (entry.path().filename() != "lock") {
            ops_.RemoveFile(entry.path().string());
        }
    }
    if (const int err = ops_.MakeDirectory(folder); err != 0 && err != EEXIST) {
        return error_ = err;
    }
    std::string text = kHeader + std::string("\n") + Line("dir", {plan.dirName}) +
                       Line("playlist", {plan.playlistName});
    if (plan.dependencies) {
        text += Line("deps", {plan.allDependencies ? "all" : "checked", plan.dependencyWords});
    }
    for (const JournalFile& entry : plan.files) {
        text += Line("file", FileWords(entry));
    }
    text += "plan\n";
    int error = Write(text, true);
    if (error == 0) {
        // The journal and its folder are on the disk before any change is.
        Touch(kJournalFolder);
        Touch("");
        Commit();
        error = error_;
    }
    if (error != 0) {
        // No change can be made without a journal: the folder is left as it was.
        ops_.RemoveFile(folder + "/" + kJournalName);
        ops_.RemoveDirectory(folder);
    }
    return error;
}

void RunJournal::SetFolder(const std::string& albumFolder) {
    albumFolder_ = albumFolder;
    if (albumFolder_.empty() || albumFolder_.back() != '/') {
        albumFolder_ += '/';
    }
    error_ = 0;
    outcomes_.clear();
    touched_.clear();
}

std::string RunJournal::Path() const {
    return JournalFolderOf(albumFolder_) + "/" + kJournalName;
}

void RunJournal::Continue(const std::string& albumFolder) {
    SetFolder(albumFolder);
    // A line cut short by a crash goes, so that the next one starts afresh.
    const std::string path = JournalFolderOf(albumFolder_) + "/" + kJournalName;
    std::string text;
    if (ReadWholeFile(path, text) == 0 && !text.empty() && text.back() != '\n') {
        const auto end = text.rfind('\n');
        error_ = ops_.Truncate(path, end == std::string::npos ? 0 : end + 1);
    }
}

int RunJournal::Note(JournalOpKind kind, const std::vector<std::string>& args) {
    return Write(Line(KindWord(kind), args), kind != JournalOpKind::kList);
}

int RunJournal::NoteGroup(const std::vector<JournalOp>& ops) {
    std::string text;
    for (const JournalOp& op : ops) {
        text += Line(KindWord(op.kind), op.args);
    }
    return text.empty() ? error_ : Write(text, true);
}

void RunJournal::Outcome(int error, const std::string& detail) {
    outcomes_ += error != 0       ? "fail " + std::to_string(error) + "\n"
                 : detail.empty() ? std::string("ok\n")
                                  : Line("ok", {detail});
}

void RunJournal::Touch(const std::string& dir) {
    if (std::find(touched_.begin(), touched_.end(), dir) == touched_.end()) {
        touched_.push_back(dir);
    }
}

void RunJournal::TouchParentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    Touch(slash == std::string::npos ? std::string() : path.substr(0, slash));
}

void RunJournal::Commit() {
    for (const std::string& dir : touched_) {
        // Only a disk that fails stops the run; a folder that is gone (removed
        // by the change) or cannot be opened for reading has nothing to sync.
        if (ops_.SyncDirectory(Absolute(dir)) == EIO && error_ == 0) {
            error_ = EIO;
        }
    }
    touched_.clear();
    if (!outcomes_.empty()) {
        // Not synced: the next line that is takes these with it.
        Write(outcomes_, false);
        outcomes_.clear();
    }
}

int RunJournal::Mark(RunStage stage) {
    Commit();
    for (const StageName& name : kStageNames) {
        if (name.stage == stage) {
            return Write(std::string(name.name) + "\n", true);
        }
    }
    return EINVAL;
}

int RunJournal::MakeDirectory(const std::string& dir) {
    if (const int err = Note(JournalOpKind::kMakeDir, {dir}); err != 0) {
        return err;
    }
    const int err = ops_.MakeDirectory(Absolute(dir));
    TouchParentOf(dir);
    Outcome(err);
    return err;
}

int RunJournal::Move(const std::string& from, const std::string& to) {
    if (const int err = Note(JournalOpKind::kMove, {from, to}); err != 0) {
        return err;
    }
    const int err = ops_.Rename(Absolute(from), Absolute(to));
    TouchParentOf(from);
    TouchParentOf(to);
    Outcome(err);
    return err;
}

std::vector<int> RunJournal::MoveGroup(
    const std::vector<std::pair<std::string, std::string>>& moves,
    const std::vector<JournalOp>& before) {
    std::vector<JournalOp> ops = before;
    for (const auto& [from, to] : moves) {
        ops.push_back({JournalOpKind::kMove, {from, to}, {}, 0, {}});
    }
    std::vector<int> errors(moves.size(), 0);
    if (const int err = NoteGroup(ops); err != 0) {
        std::fill(errors.begin(), errors.end(), err);
        return errors;
    }
    for (std::size_t i = 0; i < moves.size(); ++i) {
        errors[i] = ops_.Rename(Absolute(moves[i].first), Absolute(moves[i].second));
        TouchParentOf(moves[i].first);
        TouchParentOf(moves[i].second);
        Outcome(errors[i]);
    }
    Commit();
    return errors;
}

std::vector<RenameResult> RunJournal::RenameAll(const std::vector<RenameRequest>& requests,
                                                const std::string& dir) {
    const auto group = [this, &dir](const std::vector<RenameRequest>& moves) {
        std::vector<std::pair<std::string, std::string>> paths;
        for (const RenameRequest& move : moves) {
            paths.emplace_back(dir + move.from, dir + move.to);
        }
        return MoveGroup(paths);
    };
    const auto one = [this, &dir](const std::string& from, const std::string& to) {
        return Move(dir + from, dir + to);
    };
    std::vector<RenameResult> results = RenameAllGrouped(requests, Absolute(dir), group, one);
    Commit();
    return results;
}

int RunJournal::Remove(const std::string& path) {
    if (const int err = Note(JournalOpKind::kRemove, {path}); err != 0) {
        return err;
    }
    const int err = ops_.RemoveFile(Absolute(path));
    TouchParentOf(path);
    Outcome(err);
    return err;
}

int RunJournal::RemoveDirectory(const std::string& dir) {
    if (const int err = Note(JournalOpKind::kRemoveDir, {dir}); err != 0) {
        return err;
    }
    const int err = ops_.RemoveDirectory(Absolute(dir));
    TouchParentOf(dir);
    Outcome(err);
    return err;
}

std::string RunJournal::Absolute(const std::string& relative) const {
    return albumFolder_ + relative;
}

int RunJournal::Write(const std::string& line, bool sync) {
    if (error_ != 0) {
        return error_;
    }
    if (!IsOpen()) {
        return error_ = EBADF;
    }
    const int err = ops_.Append(JournalFolderOf(albumFolder_) + "/" + kJournalName, line, sync);
    if (err != 0) {
        // A journal with a gap would mislead: nothing more is written or done.
        error_ = err;
    }
    return err;
}

}  // namespace corvane
