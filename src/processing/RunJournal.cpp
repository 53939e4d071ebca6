#include "processing/RunJournal.h"

#include <cerrno>
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
    {JournalOpKind::kMakeDir, "mkdir"},   {JournalOpKind::kMove, "move"},
    {JournalOpKind::kTag, "tag"},         {JournalOpKind::kWrite, "write"},
    {JournalOpKind::kRestore, "restore"}, {JournalOpKind::kRemove, "remove"},
    {JournalOpKind::kRemoveDir, "rmdir"}, {JournalOpKind::kList, "list"},
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
            t.genre};
}

bool ReadFileWords(const std::vector<std::string>& words, JournalFile& entry) {
    if (words.size() != 11) {
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
    return true;
}

// Reads one line of the part after the plan into record.
void ReadOpLine(const std::vector<std::string>& words, JournalRecord& record) {
    const std::string& first = words.front();
    if (first == "ok" || first == "fail") {
        if (!record.ops.empty()) {
            JournalOp& op = record.ops.back();
            op.result = first == "ok" ? JournalOpResult::kDone : JournalOpResult::kFailed;
            op.error = words.size() > 1 ? std::atoi(words[1].c_str()) : EIO;
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
            record.ops.push_back({kind.kind, {words.begin() + 1, words.end()}, {}, 0});
            return;
        }
    }
}

}  // namespace

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
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::vector<std::string> words = Words(text.substr(start, end - start));
        if (words.empty() || start == 0) {
            continue;
        }
        if (!inPlan) {
            ReadOpLine(words, record);
        } else if (words[0] == "dir" && words.size() == 2) {
            record.dirName = words[1];
        } else if (words[0] == "playlist" && words.size() == 2) {
            record.playlistName = words[1];
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
        ops_.RemoveFile(entry.path().string());
    }
    if (const int err = ops_.MakeDirectory(folder); err != 0 && err != EEXIST) {
        return error_ = err;
    }
    std::string text = kHeader + std::string("\n") + Line("dir", {plan.dirName}) +
                       Line("playlist", {plan.playlistName});
    for (const JournalFile& entry : plan.files) {
        text += Line("file", FileWords(entry));
    }
    text += "plan\n";
    const int error = Write(text, true);
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
    for (const KindName& name : kKindNames) {
        if (name.kind == kind) {
            return Write(Line(name.name, args), kind != JournalOpKind::kList);
        }
    }
    return EINVAL;
}

void RunJournal::Outcome(int error) {
    // Not synced: the next change's line is, and takes this one with it.
    Write(error == 0 ? std::string("ok\n") : "fail " + std::to_string(error) + "\n", false);
}

int RunJournal::Mark(RunStage stage) {
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
    Outcome(err);
    return err;
}

int RunJournal::Move(const std::string& from, const std::string& to) {
    if (const int err = Note(JournalOpKind::kMove, {from, to}); err != 0) {
        return err;
    }
    const int err = ops_.Rename(Absolute(from), Absolute(to));
    Outcome(err);
    return err;
}

int RunJournal::Remove(const std::string& path) {
    if (const int err = Note(JournalOpKind::kRemove, {path}); err != 0) {
        return err;
    }
    const int err = ops_.RemoveFile(Absolute(path));
    Outcome(err);
    return err;
}

int RunJournal::RemoveDirectory(const std::string& dir) {
    if (const int err = Note(JournalOpKind::kRemoveDir, {dir}); err != 0) {
        return err;
    }
    const int err = ops_.RemoveDirectory(Absolute(dir));
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
