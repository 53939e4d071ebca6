// The processing never loses a file and its log tells what really happened,
// also when its journal cannot be written or the disk is full.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "platform/FileSystem.h"
#include "processing/AlbumFixture.h"
#include "processing/ProcessingPipeline.h"
#include "processing/RunRecovery.h"
#include "support/FakeMp3Info.h"
#include "support/TestSupport.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

using ::testing::Contains;

class SafetyTest : public ::testing::Test {
protected:
    CurrentDirGuard cwd;
    TempDir dir;
    FakeMp3Info mp3;
};

// A journal that cannot be written (a read-only or full album folder).
class NoJournalOps : public FileOps {
public:
    int Append(const std::string&, std::string_view, bool) override { return EACCES; }
};

TEST_F(SafetyTest, WithoutAJournalNothingIsTouched) {
    const TrackList files = {MakeFile(dir.path(), "a.mp3", 10), MakeFile(dir.path(), "b.mp3", 20)};
    const auto before = FolderContents(dir.path());
    for (const bool createDirectory : {false, true}) {
        NoJournalOps ops;
        MemoryProcessingLog log;
        ProcessingPipeline pipeline(log, &ops);
        pipeline.SetLists(files, {MakeTrack(1, "One"), MakeTrack(2, "Two")}, {0, 1}, {0, 1}, mp3);
        pipeline.SetOptions({createDirectory, true, false});
        pipeline.RunAll();
        EXPECT_THAT(log.Lines(), Contains("Cannot write the run journal in \"" + dir.path() +
                                          "/\": Permission denied"));
        EXPECT_EQ(pipeline.FailureCount(), 1);
        EXPECT_EQ(pipeline.SummaryText(), "No file was changed: see the log");
        EXPECT_EQ(log.Lines().size(), 3u);
    }
    EXPECT_TRUE(mp3.written.empty());
    EXPECT_EQ(FolderContents(dir.path()), before);
}

// An album folder on a file system with no room left: the tag writes and the
// playlist fail; every file keeps its content and the log names the failures.
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
    std::map<std::string, std::string> before;  // by path
    std::multiset<std::string> songs;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        files.push_back(MakeFile(mountPoint, name, 10));
        std::string& content = before[files.back().filePath] = FakeMp3Content(name);
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
    // Undone on the full disk, every file is back as it was.
    MemoryProcessingLog log;
    EXPECT_EQ(UndoRun(mountPoint, log), 0) << ::testing::PrintToString(log.Lines());
    for (const auto& [path, content] : before) {
        EXPECT_TRUE(FileText(path) == content) << path;
    }
}

TEST_F(SafetyTest, ReadOnlyFileIsTaggedRenamedAndStaysReadOnly) {
    TrackList files = {MakeFile(dir.path(), "a.mp3", 10)};
    ASSERT_EQ(::chmod(files[0].filePath.c_str(), 0444), 0);
    const PipelineRun run = RunPipeline(files, {MakeTrack(1, "One")}, {false, false, false}, mp3);
    EXPECT_EQ(run.failures, 0) << ::testing::PrintToString(run.lines);
    FakeTag tag;
    ASSERT_TRUE(ReadFakeTag(dir.File("01 - One.mp3"), tag));
    EXPECT_EQ(tag.title, "One");
    EXPECT_TRUE(IsReadOnly(dir.File("01 - One.mp3")));
}

}  // namespace
}  // namespace corvane::test
