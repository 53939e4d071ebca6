// A run can be finished or undone from its journal, whenever it was killed.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

#include "processing/AlbumFixture.h"
#include "processing/Dependencies.h"
#include "processing/RunRecovery.h"
#include "processing/TagBackup.h"
#include "support/FakeMp3Info.h"
#include "support/TestSupport.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// Ends the process at its n-th change, as kill -9 would: each call of the
// file-system layer counts, and a journal line can be cut in half.
class KillingOps : public FileOps {
public:
    explicit KillingOps(int killAt) : killAt_(killAt) {}
    void Count() {
        if (++calls_ == killAt_) {
            ::_exit(kKilled);
        }
    }
    using S = const std::string&;
    int Rename(S a, S b) override { return Count(), FileOps::Rename(a, b); }
    int MakeDirectory(S path) override { return Count(), FileOps::MakeDirectory(path); }
    int RemoveDirectory(S path) override { return Count(), FileOps::RemoveDirectory(path); }
    int RemoveFile(S path) override { return Count(), FileOps::RemoveFile(path); }
    int ReplaceFile(S a, S b) override { return Count(), FileOps::ReplaceFile(a, b); }
    int Truncate(S path, std::size_t size) override {
        return Count(), FileOps::Truncate(path, size);
    }
    int CreateFile(S path, std::string_view data, bool sync) override {
        return Count(), FileOps::CreateFile(path, data, sync);
    }
    int Append(const std::string& path, std::string_view data, bool sync) override {
        Count();
        FileOps::Append(path, data.substr(0, data.size() / 2), false);
        Count();
        return FileOps::Append(path, data.substr(data.size() / 2), sync);
    }
    static constexpr int kKilled = 9;

private:
    int killAt_;
    int calls_ = 0;
};

// The tag writer killed while its copy of the file is half made, or after
// it wrote. Deferred, each write leaves a whole copy beside its file, which
// the batch's flush renames over it: killed between, several copies wait.
class KillingMp3 : public FakeMp3Info {
public:
    explicit KillingMp3(KillingOps& killer) : killer_(killer) {}
    void SetDeferredWrites(bool deferred) override { deferred_ = deferred; }
    int WriteTag(const std::string& a, const std::string& b, const std::string& c,
                 const std::string& d, const std::string& e, const std::string& f,
                 const std::string& g) override {
        const std::string path = opened.back();
        const std::string copy = path + ".tagging-Xy12Z" + std::to_string(waiting_.size());
        WriteFileBytes(copy, "MP3:half");
        killer_.Count();
        if (deferred_) {
            std::error_code error;
            fs::copy_file(path, copy, fs::copy_options::overwrite_existing, error);
            Open(copy);
            waiting_.emplace_back(copy, path);
        } else {
            ::unlink(copy.c_str());
        }
        const int error = FakeMp3Info::WriteTag(a, b, c, d, e, f, g);
        killer_.Count();
        return error;
    }
    std::vector<DeferredWriteFailure> FlushWrites() override {
        for (const auto& [copy, path] : std::exchange(waiting_, {})) {
            ::rename(copy.c_str(), path.c_str());
            killer_.Count();
        }
        return {};
    }

private:
    KillingOps& killer_;
    bool deferred_ = false;
    std::vector<std::pair<std::string, std::string>> waiting_;  // copy, file
};

class RunJournalTest : public ::testing::Test {
protected:
    using Work = std::function<void(KillingOps&, KillingMp3&)>;

    // The work in a child process, killed at its killAt-th change; false
    // when it came to its end first.
    static bool KilledAt(int killAt, const Work& work) {
        const pid_t child = ::fork();
        if (child == 0) {
            KillingOps ops(killAt);
            KillingMp3 mp3(ops);
            work(ops, mp3);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        return WEXITSTATUS(status) == KillingOps::kKilled;
    }

    void Run(KillingOps& ops, KillingMp3& mp3) {
        DependencyMover dependencies;
        RunPipeline(files, tracks, options, mp3,
                    {.ops = &ops, .dependencies = &dependencies, .searchWords = "NO SUCH WORDS"});
    }

    // Every song once, under its new name, tagged, the playlist and the
    // cover beside them, and nothing else but the journal.
    void ExpectFinished(const std::string& folder) {
        const std::string prefix = options.createDirectory ? "Artist - Album/" : "";
        std::map<std::string, std::string> expected;
        for (std::size_t i = 0; i < files.size(); ++i) {
            expected[prefix + tracks[i].fileName] =
                files[i].fileName + " / " + tracks[i].track + " " + tracks[i].title;
        }
        expected[prefix + "Album cover.jpg"] = "JPEG";
        auto described = Described(folder);
        EXPECT_EQ(described.erase(prefix + "Artist - Album.m3u"), 1u);
        EXPECT_EQ(described, expected);
        for (const auto& [path, content] : FolderContents(folder)) {
            EXPECT_EQ(path.find(".tmp"), std::string::npos) << path;
        }
    }

    // Resume and undo, each killed at one of its changes and then run to its
    // end, finish the run or put the folder back as it was. Every fourth
    // change is tried, from an offset that the run's kill point gives, so
    // that the whole test tries each change of each over the run's points.
    void ExpectRecoveryAfterKills(const std::string& killed, int offset,
                                  const std::map<std::string, std::string>& original) {
        const bool unfinished = FindRun(killed).Unfinished();
        for (const bool undo : {false, true}) {
            if (!undo && !unfinished) {
                continue;
            }
            for (int at = 1 + offset % 4, more = 1; more; at += 4) {
                SCOPED_TRACE((undo ? "undo killed at " : "resume killed at ") + std::to_string(at));
                TempDir copy;
                fs::copy(killed, copy.path(), fs::copy_options::recursive);
                more = KilledAt(at, [&](KillingOps& ops, KillingMp3& mp3) {
                    MemoryProcessingLog log;
                    undo ? UndoRun(copy.path(), log, &ops) : ResumeRun(copy.path(), mp3, log, &ops);
                });
                MemoryProcessingLog log;
                FakeMp3Info mp3;
                if (undo) {
                    EXPECT_LE(UndoRun(copy.path(), log), 0)
                        << ::testing::PrintToString(log.Lines());
                    EXPECT_EQ(FolderContents(copy.path()), original);
                } else {
                    EXPECT_LE(ResumeRun(copy.path(), mp3, log), 0)
                        << ::testing::PrintToString(log.Lines());
                    ExpectFinished(copy.path());
                }
            }
        }
    }

    CurrentDirGuard cwd;
    TrackList files;
    TrackList tracks;
    ProcessingOptions options{true, true, true};
};

TEST_F(RunJournalTest, KilledAnywhereTheRunIsFinishedOrUndone) {
    // Hundreds of runs: in memory, where syncing costs nothing, when there is room.
    const ScopedEnv tmpdir(
        "TMPDIR", fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string());
    // In an album directory with a cover, and in place with two names swapped.
    for (const bool inDirectory : {true, false}) {
        SCOPED_TRACE(inDirectory ? "album directory" : "in place");
        options.createDirectory = inDirectory;
        TempDir album;
        const std::string folder = album.path();
        files.clear();
        for (const char* name : {"01 - T2.mp3", "02 - T1.mp3", "c.mp3"}) {
            files.push_back(MakeFile(folder, name, 10));
        }
        ASSERT_TRUE(WriteFileBytes(folder + "/Album cover.jpg", "JPEG"));
        tracks = {MakeTrack(1, "T1"), MakeTrack(2, "T2"), MakeTrack(3, "T3")};
        const auto original = FolderContents(folder);
        TempDir pristine;
        fs::copy(folder, pristine.path(), fs::copy_options::recursive);
        int killAt = 1;
        for (bool killed = true; killed; ++killAt) {
            SCOPED_TRACE("killed at change " + std::to_string(killAt));
            fs::remove_all(folder);
            fs::copy(pristine.path(), folder, fs::copy_options::recursive);
            killed = KilledAt(killAt, [this](KillingOps& ops, KillingMp3& mp3) { Run(ops, mp3); });
            ExpectRecoveryAfterKills(folder, killAt, original);
        }
        EXPECT_GT(killAt, 25);
    }
}

// A leading tag whose size field covers some audio, an ID3v1 tag at the
// end: the old file comes back from the tagged one, not from changed audio.
TEST(TagBackupTest, TheOldTagsComeBackAroundTheSameAudio) {
    std::string audio;
    for (int i = 0; i < 20000; ++i) {
        audio += static_cast<char>(i * 7 + i / 256);
    }
    const std::string old = std::string("ID3\3\0\0\0\0\1\0", 10) + audio + "TAG" +
                            std::string(125, 'o');  // a tag of 128 bytes, says the header
    const std::string backup = MakeTagBackup(old);
    EXPECT_LT(backup.size(), 8192u + 300u);
    std::string restored;
    // Written by a writer that takes the audio from right after the header,
    // with an ID3v1 tag or without.
    for (const std::string& tagged :
         {"ID3\4" + std::string(2000, 'n') + audio + "TAG" + std::string(125, 'n'), "X" + audio}) {
        ASSERT_TRUE(RestoreFromTagBackup(backup, tagged, restored));
        EXPECT_TRUE(restored == old);
        std::string changed = tagged;
        changed[5000] ^= 1;
        EXPECT_FALSE(RestoreFromTagBackup(backup, changed, restored));
    }
}

}  // namespace
}  // namespace corvane::test
