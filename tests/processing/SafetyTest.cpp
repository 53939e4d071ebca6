// The processing never loses a file and its log tells what really happened,
// also when its journal cannot be written or the disk is full.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "platform/FileSystem.h"
#include "processing/AlbumFixture.h"
#include "processing/Dependencies.h"
#include "processing/ProcessingPipeline.h"
#include "processing/RunLock.h"
#include "processing/RunRecovery.h"
#include "support/FakeMp3Info.h"
#include "support/TestSupport.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

using ::testing::Contains;

class SafetyTest : public ::testing::Test {
protected:
    // Files a.mp3, b.mp3, ... of `bytes` bytes of audio (beyond the 8 KiB a
    // tag backup keeps whole) and a cover, put in order by every step.
    PipelineRun RunWithCover(int count, std::size_t bytes, Mp3InfoObject& tagger,
                             FileOps* ops = nullptr) {
        const char* titles[] = {"One", "Two", "Three", "Four"};
        TrackList files;
        TrackList tracks;
        for (int i = 0; i < count; ++i) {
            const std::string name = std::string(1, char('a' + i)) + ".mp3";
            files.push_back(MakeFile(dir.path(), name, 10));
            WriteFileBytes(files.back().filePath,
                           FakeMp3Content(name) + std::string(bytes, 'a' + i));
            tracks.push_back(MakeTrack(i + 1, titles[i]));
        }
        WriteFileBytes(dir.File("Album.jpg"), "JPEG");
        before = FolderContents(dir.path());
        DependencyMover dependencies;
        return RunPipeline(files, tracks, {true, true, true}, tagger,
                           {.ops = ops, .dependencies = &dependencies});
    }

    CurrentDirGuard cwd;
    TempDir dir;
    FakeMp3Info mp3;
    std::map<std::string, std::string> before;  // the folder before RunWithCover
};

// A journal that cannot be written (a read-only or full album folder): from
// the line after the first `allowed`, or the line `refused`.
struct RefusingOps : FileOps {
    int allowed = 0;
    std::string refused;
    int Append(const std::string& path, std::string_view data, bool sync) override {
        const bool refuse = refused.empty() ? allowed-- <= 0 : data == refused;
        return refuse ? EPERM : FileOps::Append(path, data, sync);
    }
};

TEST_F(SafetyTest, WithoutAJournalNothingIsTouched) {
    const TrackList files = {MakeFile(dir.path(), "a.mp3", 10)};
    const auto before = FolderContents(dir.path());
    RefusingOps ops;
    const PipelineRun run =
        RunPipeline(files, {MakeTrack(1, "One")}, {true, true, false}, mp3, {.ops = &ops});
    EXPECT_THAT(run.lines, Contains("Cannot write the run journal in \"" + dir.path() +
                                    "/\": Operation not permitted"));
    EXPECT_EQ(run.lines.size(), 3u);
    EXPECT_EQ(run.failures, 1);
    EXPECT_EQ(run.summary, "No file was changed: see the log");
    EXPECT_TRUE(mp3.written.empty());
    EXPECT_EQ(FolderContents(dir.path()), before);
}

// An album folder on a file system with no room left: the tag writes and the
// playlist fail; every file keeps its content and the log names the failures.
// Once there is room, resume finishes the run.
TEST_F(SafetyTest, FullFileSystemLosesNothing) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting a small tmpfs needs root; the full disk case is not run";
    }
    const std::string mountPoint = dir.File("small");
    ASSERT_EQ(::mkdir(mountPoint.c_str(), 0755), 0);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=256k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{mountPoint};

    // Each file fills its pages exactly, so a tag needs a new page.
    TrackList files;
    std::multiset<std::string> songs;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        files.push_back(MakeFile(mountPoint, name, 10));
        std::string content = FakeMp3Content(name);
        content.resize(8192, ' ');
        ASSERT_TRUE(WriteFileBytes(files.back().filePath, content));
        songs.insert(content);
    }
    {
        const int fd = ::open((mountPoint + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        // Room for the journal and the first old tag, not for the new tags.
        const off_t filled = ::lseek(fd, 0, SEEK_END);
        ASSERT_EQ(::ftruncate(fd, filled - 4 * 4096), 0);
        ::close(fd);
    }
    const PipelineRun run =
        RunPipeline(files, {MakeTrack(1, "One"), MakeTrack(2, "Two"), MakeTrack(3, "Three")},
                    {true, true, false}, mp3);

    // Each song once and unchanged, and no playlist left.
    std::multiset<std::string> after;
    for (const auto& [path, content] : FolderContents(mountPoint)) {
        EXPECT_EQ(path.find(".m3u"), std::string::npos) << "a playlist was left: " << path;
        if (path.find(".mp3") != std::string::npos) {
            after.insert(content);
        }
    }
    EXPECT_TRUE(after == songs) << ::testing::PrintToString(run.lines);
    EXPECT_THAT(run.lines, Contains("Cannot write the tag of \"a.mp3\": No space left on device"));
    EXPECT_THAT(run.lines,
                Contains("Cannot write the playlist \"Artist - Album.m3u\": No space left on "
                         "device"));
    EXPECT_THAT(run.lines, Contains("3 of 3 files failed."));
    EXPECT_EQ(run.failures, 4);
    EXPECT_TRUE(FindRun(mountPoint).Unfinished());
    ASSERT_EQ(::unlink((mountPoint + "/filler").c_str()), 0);
    MemoryProcessingLog log;
    EXPECT_EQ(ResumeRun(mountPoint, mp3, log), 0) << ::testing::PrintToString(log.Lines());
    auto described = Described(mountPoint);
    EXPECT_EQ(described.erase("Artist - Album/Artist - Album.m3u"), 1u);
    EXPECT_EQ(described.size(), 3u);
    EXPECT_THAT(described["Artist - Album/02 - Two.mp3"], ::testing::EndsWith(" / 2 Two"));
    EXPECT_FALSE(FindRun(mountPoint).Unfinished());
}

// A process that dies holding a folder's run lock holds nothing; who holds
// the album directory a run made holds the run. (That a held folder is
// refused by a run, a resume and an undo is the CLI tests'.)
TEST_F(SafetyTest, OneRunPerFolderAtATime) {
    const TrackList files = {MakeFile(dir.path(), "a.mp3", 10)};
    if (::fork() == 0) {
        RunLock dying;
        ::_exit(dying.LockRunOf(dir.path()));
    }
    int status = 0;
    ::wait(&status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(FolderIsLocked(dir.path()));
    ASSERT_EQ(RunPipeline(files, {MakeTrack(1, "One")}, {true, true, false}, mp3).failures, 0);
    RunLock inDirectory;
    ASSERT_EQ(inDirectory.LockRunOf(dir.File("Artist - Album")), 0);
    EXPECT_TRUE(FolderIsLocked(dir.path()));
    MemoryProcessingLog log;
    EXPECT_EQ(UndoRun(dir.path(), log), -1);
    EXPECT_THAT(log.Lines(), ::testing::ElementsAre(kFolderLockedText));
}

// Writes the title as a leading ID3v2 tag in place of the one there, as a
// real tag writer does, so that the audio stays where a tag backup finds it.
class LeadingTagMp3 : public FakeMp3Info {
public:
    int WriteTag(const std::string& title, const std::string&, const std::string&,
                 const std::string&, const std::string&, const std::string&,
                 const std::string&) override {
        std::string content;
        ReadFileBytes(opened.back(), content);
        const std::size_t old = content.rfind("ID3", 0) == 0 ? 10 + std::size_t(content[9]) : 0;
        const std::string tag = std::string("ID3\4\0\0\0\0\0", 9) + char(title.size()) + title;
        return WriteFileBytes(opened.back(), tag + content.substr(old)) ? 0 : EIO;
    }
};

// Undo puts back what the run did, and only that: a tag the user changed
// since and a file whose audio was replaced stay, and the log names them;
// the cover moved along comes back.
TEST_F(SafetyTest, UndoKeepsWhatTheUserChangedSinceTheRun) {
    LeadingTagMp3 tagger;
    const PipelineRun run = RunWithCover(3, 20000, tagger);
    ASSERT_EQ(run.failures, 0) << ::testing::PrintToString(run.lines);
    ASSERT_TRUE(fs::exists(dir.File("Artist - Album/Album.jpg")));

    const std::string a = dir.File("Artist - Album/01 - One.mp3");
    const std::string b = dir.File("Artist - Album/02 - Two.mp3");
    tagger.Open(a);
    ASSERT_EQ(tagger.WriteTag("Mine", "", "", "", "", "1", ""), 0);
    const std::string userA = FileText(a);
    const std::string userB = std::string(20000, 'z');
    WriteFileBytes(b, userB);
    MemoryProcessingLog log;
    EXPECT_EQ(UndoRun(dir.path(), log), 0) << ::testing::PrintToString(log.Lines());
    EXPECT_THAT(log.Lines(),
                Contains("kept the tag changed since the run: Artist - Album/01 - One.mp3"));
    EXPECT_THAT(log.Lines(), Contains("kept the file whose audio changed since the run: "
                                      "Artist - Album/02 - Two.mp3"));
    auto expected = before;
    expected["a.mp3"] = userA;
    expected["b.mp3"] = userB;
    EXPECT_EQ(FolderContents(dir.path()), expected);
}

// A read-only file is tagged, moved and renamed, and stays read-only; a
// track replaced by a directory (or gone) is skipped with its reason and the
// directory keeps its name.
TEST_F(SafetyTest, OddFilesOfTheAlbum) {
    const TrackList files = {MakeFile(dir.path(), "a.mp3", 10), MakeFile(dir.path(), "b.mp3", 10)};
    ASSERT_EQ(::chmod(files[0].filePath.c_str(), 0444), 0);
    fs::remove(files[1].filePath);
    fs::create_directory(files[1].filePath);
    const PipelineRun run =
        RunPipeline(files, {MakeTrack(1, "One"), MakeTrack(2, "Two")}, {true, false, false}, mp3);
    EXPECT_THAT(run.lines, Contains("Skipped \"b.mp3\": it is no longer a regular file."));
    EXPECT_TRUE(fs::is_directory(files[1].filePath));
    EXPECT_EQ(run.failures, 1);
    FakeTag tag;
    ASSERT_TRUE(ReadFakeTag(dir.File("Artist - Album/01 - One.mp3"), tag));
    EXPECT_EQ(tag.title, "One");
    EXPECT_TRUE(IsReadOnly(dir.File("Artist - Album/01 - One.mp3")));
}

// Where RENAME_NOREPLACE and hard links are refused: a file another program
// writes at the target while the run renames survives, and the step fails
// with its reason.
TEST_F(SafetyTest, AFileWrittenAtTheTargetMeanwhileSurvives) {
    struct NoFlagNoLinkOps : FileOps {
        int Rename(const std::string& from, const std::string& to) override {
            return RenameByClaim(from, to, [&to] {
                if (to.ends_with(".mp3")) {
                    WriteFileBytes(to, "theirs");
                }
            });
        }
    };
    NoFlagNoLinkOps ops;
    const PipelineRun run = RunPipeline({MakeFile(dir.path(), "a.mp3", 10)}, {MakeTrack(1, "One")},
                                        {false, false, false}, mp3, {.ops = &ops});
    EXPECT_THAT(run.lines, Contains("Cannot rename \"a.mp3\" to \"01 - One.mp3\": File exists"));
    EXPECT_EQ(FileText(dir.File("01 - One.mp3")), "theirs");
    EXPECT_EQ(FakeMp3Marker(dir.File("a.mp3")), "a.mp3");
}

// A journal line that cannot be written is named as such; an undo whose
// last mark cannot be written says so and counts it.
TEST_F(SafetyTest, AJournalThatCannotBeWrittenIsNamed) {
    const TrackList files = {MakeFile(dir.path(), "a.mp3", 10)};
    const std::string journal = "\"" + dir.path() + "/.corvane-run/journal\"";
    RefusingOps ops;
    ops.allowed = 1;  // the plan
    const PipelineRun run = RunPipeline(files, {MakeTrack(1, "One")}, {}, mp3, {.ops = &ops});
    EXPECT_THAT(run.lines,
                Contains("Cannot write the run journal " + journal + ": Operation not permitted"));
    EXPECT_TRUE(fs::exists(files[0].filePath));

    RefusingOps lastMark;
    lastMark.refused = "undone\n";
    MemoryProcessingLog undoLog;
    EXPECT_EQ(UndoRun(dir.path(), undoLog, &lastMark), 1);
    EXPECT_THAT(undoLog.Lines(),
                Contains("Cannot write the run journal " + journal + ": Operation not permitted"));
}

// Every folder a run or an undo changed is synced after its last change,
// and the syncs are few: one per group of changes, not one per file.
TEST_F(SafetyTest, EveryChangedFolderIsSyncedAfterItsLastChange) {
    struct RecordingOps : FileOps {
        std::vector<std::pair<std::string, std::string>> calls;  // what, folder
        static std::string Parent(const std::string& path) {
            return fs::path(path).parent_path().lexically_normal().string();
        }
        void Changed(std::initializer_list<std::string> paths) {
            for (const std::string& path : paths) {
                calls.emplace_back("change", Parent(path));
            }
        }
        using S = const std::string&;
        int Rename(S a, S b) override { return Changed({a, b}), FileOps::Rename(a, b); }
        int MakeDirectory(S p) override { return Changed({p}), FileOps::MakeDirectory(p); }
        int RemoveDirectory(S p) override { return Changed({p}), FileOps::RemoveDirectory(p); }
        int RemoveFile(S p) override { return Changed({p}), FileOps::RemoveFile(p); }
        int CreateFile(S p, std::string_view d, bool sync) override {
            return Changed({p}), FileOps::CreateFile(p, d, sync);
        }
        int ReplaceFile(S a, S b) override { return Changed({a, b}), FileOps::ReplaceFile(a, b); }
        int SyncDirectory(const std::string& p) override {
            calls.emplace_back("sync", fs::path(p + "/").lexically_normal().parent_path().string());
            return FileOps::SyncDirectory(p);
        }
        // The folders whose last change no sync followed, and the count of syncs.
        std::set<std::string> Unsynced(int& syncs) const {
            std::set<std::string> unsynced;
            syncs = 0;
            for (const auto& [what, folder] : calls) {
                if (what == "sync") {
                    ++syncs;
                    unsynced.erase(folder);
                } else if (fs::exists(folder)) {
                    unsynced.insert(folder);
                }
            }
            return unsynced;
        }
    };
    RecordingOps ops;
    const PipelineRun run = RunWithCover(4, 0, mp3, &ops);
    ASSERT_EQ(run.failures, 0) << ::testing::PrintToString(run.lines);
    int syncs = 0;
    EXPECT_TRUE(ops.Unsynced(syncs).empty()) << ::testing::PrintToString(ops.Unsynced(syncs));
    EXPECT_LE(syncs, 14);
    RecordingOps undoOps;
    MemoryProcessingLog log;
    EXPECT_EQ(UndoRun(dir.path(), log, &undoOps), 0) << ::testing::PrintToString(log.Lines());
    EXPECT_TRUE(undoOps.Unsynced(syncs).empty())
        << ::testing::PrintToString(undoOps.Unsynced(syncs));
    EXPECT_LE(syncs, 14);
}

}  // namespace
}  // namespace corvane::test
