// A run can be finished or undone from its journal, whenever it was killed.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "processing/AlbumFixture.h"
#include "processing/RunRecovery.h"
#include "support/FakeMp3Info.h"
#include "support/TestSupport.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// Ends the process at the n-th change it makes, as kill -9 would.
class Killer {
public:
    explicit Killer(int killAt) : killAt_(killAt) {}
    void Count() {
        if (++calls_ == killAt_) {
            ::_exit(kKilled);
        }
    }
    static constexpr int kKilled = 9;

private:
    int killAt_;
    int calls_ = 0;
};

class KillingOps : public FileOps {
public:
    explicit KillingOps(Killer& killer) : killer_(killer) {}
    int Rename(const std::string& a, const std::string& b) override {
        killer_.Count();
        return FileOps::Rename(a, b);
    }
    int MakeDirectory(const std::string& p) override {
        killer_.Count();
        return FileOps::MakeDirectory(p);
    }
    int RemoveFile(const std::string& p) override {
        killer_.Count();
        return FileOps::RemoveFile(p);
    }
    int CreateFile(const std::string& p, std::string_view d) override {
        killer_.Count();
        return FileOps::CreateFile(p, d);
    }
    int Append(const std::string& p, std::string_view d, bool sync) override {
        killer_.Count();
        // Half a line first: a kill may cut one short.
        FileOps::Append(p, d.substr(0, d.size() / 2), false);
        killer_.Count();
        return FileOps::Append(p, d.substr(d.size() / 2), sync);
    }

private:
    Killer& killer_;
};

// The tag writer killed while its copy of the file is half made, or after
// it wrote.
class KillingMp3 : public FakeMp3Info {
public:
    explicit KillingMp3(Killer& killer) : killer_(killer) {}
    int WriteTag(const std::string& a, const std::string& b, const std::string& c,
                 const std::string& d, const std::string& e, const std::string& f,
                 const std::string& g) override {
        const std::string copy = opened.back() + ".tagging-Xy12Z9";
        WriteFileBytes(copy, "MP3:half");
        killer_.Count();
        ::unlink(copy.c_str());
        const int error = FakeMp3Info::WriteTag(a, b, c, d, e, f, g);
        killer_.Count();
        return error;
    }

private:
    Killer& killer_;
};

int CountLines(const std::vector<std::string>& lines, const std::string& start) {
    return static_cast<int>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; }));
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

// Every MP3 file under folder by its marker, with the path it lies at.
std::multimap<std::string, std::string> Songs(const std::string& folder) {
    std::multimap<std::string, std::string> songs;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string path = fs::relative(entry.path(), folder).string();
        if (entry.is_regular_file() && path.rfind(kJournalFolder, 0) != 0 &&
            entry.path().extension() != ".m3u") {
            songs.emplace(FakeMp3Marker(entry.path().string()), path);
        }
    }
    return songs;
}

class RunJournalTest : public ::testing::Test {
protected:
    // The run in a child process, killed at its killAt-th change; false when
    // it came to its end first.
    bool RunKilledAt(int killAt) {
        const pid_t child = ::fork();
        if (child == 0) {
            Killer killer(killAt);
            KillingOps ops(killer);
            KillingMp3 mp3(killer);
            MemoryProcessingLog log;
            ProcessingPipeline pipeline(log, &ops);
            pipeline.SetLists(files, tracks, RecordOrderRows(files.size()),
                              RecordOrderRows(tracks.size()), mp3);
            pipeline.SetOptions(options);
            pipeline.RunAll();
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        return WEXITSTATUS(status) == Killer::kKilled;
    }

    // Every song once, under its new name, tagged, and the playlist.
    void ExpectFinished(const std::string& folder) {
        std::multimap<std::string, std::string> expected;
        const std::string prefix = options.createDirectory ? "Artist - Album/" : "";
        for (std::size_t i = 0; i < files.size(); ++i) {
            expected.emplace(files[i].fileName, prefix + tracks[i].fileName);
            FakeTag tag;
            EXPECT_TRUE(ReadFakeTag(folder + "/" + prefix + tracks[i].fileName, tag));
            EXPECT_EQ(tag.title, tracks[i].title);
        }
        EXPECT_EQ(Songs(folder), expected);
        EXPECT_TRUE(fs::exists(folder + "/" + prefix + "Artist - Album.m3u"));
    }

    CurrentDirGuard cwd;
    TrackList files;
    TrackList tracks;
    ProcessingOptions options{true, true, false};
};

TEST_F(RunJournalTest, KilledAnywhereTheRunIsFinishedOrUndone) {
    // Hundreds of runs: in memory, where syncing costs nothing, when there is room.
    const char* tmp = std::getenv("TMPDIR");
    const std::string savedTmp = tmp != nullptr ? tmp : "";
    if (fs::is_directory("/dev/shm")) {
        ::setenv("TMPDIR", "/dev/shm", 1);
    }
    // In an album directory, and in place with two names swapped.
    for (const bool inDirectory : {true, false}) {
        SCOPED_TRACE(inDirectory ? "album directory" : "in place");
        options.createDirectory = inDirectory;
        TempDir album;
        const std::string folder = album.path();
        files.clear();
        for (const char* name : {"01 - T2.mp3", "02 - T1.mp3", "c.mp3"}) {
            files.push_back(MakeFile(folder, name, 10));
        }
        tracks = {MakeTrack(1, "T1"), MakeTrack(2, "T2"), MakeTrack(3, "T3")};
        const auto original = FolderContents(folder);
        TempDir pristine;
        fs::copy(folder, pristine.path(), fs::copy_options::recursive);
        int killAt = 1;
        for (bool killed = true; killed; ++killAt) {
            SCOPED_TRACE("killed at change " + std::to_string(killAt));
            fs::remove_all(folder);
            fs::copy(pristine.path(), folder, fs::copy_options::recursive);
            killed = RunKilledAt(killAt);
            TempDir copy;
            fs::copy(folder, copy.path(), fs::copy_options::recursive);

            MemoryProcessingLog log;
            FakeMp3Info mp3;
            if (!killed) {
                ExpectFinished(folder);
            } else if (ResumeRun(folder, mp3, log) < 0) {
                // Killed before the plan was in the journal: nothing changed.
                EXPECT_EQ(FolderContents(folder), original);
            } else {
                EXPECT_EQ(CountLines(log.Lines(), "Cannot"), 0) << Joined(log.Lines());
                ExpectFinished(folder);
            }
            MemoryProcessingLog undoLog;
            EXPECT_LE(UndoRun(copy.path(), undoLog), 0) << Joined(undoLog.Lines());
            EXPECT_EQ(FolderContents(copy.path()), original) << Joined(undoLog.Lines());
        }
        EXPECT_GT(killAt, 40);
    }
    savedTmp.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", savedTmp.c_str(), 1);
}

}  // namespace
}  // namespace corvane::test
