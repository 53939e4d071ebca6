// The processing never loses a file and its log tells what really happened,
// also when names clash, files or folders are read-only or the disk is full.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

#include "platform/FileSystem.h"
#include "processing/AlbumFixture.h"
#include "processing/ProcessingPipeline.h"
#include "support/FakeMp3Info.h"
#include "support/TestSupport.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

using ::testing::Contains;
using ::testing::Not;

class SafetyTest : public ::testing::Test {
protected:
    CurrentDirGuard cwd;
    TempDir dir;
    FakeMp3Info mp3;
};

TEST_F(SafetyTest, TwoTracksWithOneNameKeepBothFiles) {
    TrackList files = {MakeFile(dir.path(), "a.mp3", 10), MakeFile(dir.path(), "b.mp3", 20)};
    TrackList tracks = {MakeTrack(1, "Same"), MakeTrack(1, "Same")};
    const PipelineRun run = RunPipeline(files, tracks, {true, true, false}, mp3);
    const std::string album = dir.File("Artist - Album");
    EXPECT_EQ(FakeMp3Marker(album + "/01 - Same.mp3"), "a.mp3");
    EXPECT_EQ(FakeMp3Marker(album + "/b.mp3"), "b.mp3");
    EXPECT_THAT(run.lines, Contains("Cannot rename \"b.mp3\" to \"01 - Same.mp3\": File exists"));
    EXPECT_THAT(run.lines, Contains("1 of 2 files failed."));
    EXPECT_THAT(run.lines, Not(Contains("Renaming and ID3Tag Files... Done.")));
    EXPECT_EQ(run.failures, 1);
    // The playlist lists each file under the name it really has.
    EXPECT_EQ(FileText(album + "/Artist - Album.m3u"),
              "#EXTM3U\r\n#EXTINF:10,Same\r\n01 - Same.mp3\r\n#EXTINF:20,Same\r\nb.mp3\r\n");
}

TEST_F(SafetyTest, TakenNamesInTheAlbumDirectoryAreNotReplaced) {
    const std::string album = dir.File("Artist - Album");
    fs::create_directory(album);
    WriteFileBytes(album + "/02 - Two.mp3", "someone else's");
    WriteFileBytes(album + "/c.mp3", "older c");
    TrackList files = {MakeFile(dir.path(), "a.mp3", 10), MakeFile(dir.path(), "b.mp3", 20),
                       MakeFile(dir.path(), "c.mp3", 30)};
    TrackList tracks = {MakeTrack(1, "One"), MakeTrack(2, "Two"), MakeTrack(3, "Three")};
    const PipelineRun run = RunPipeline(files, tracks, {true, true, false}, mp3);

    const auto after = FolderContents(dir.path());
    EXPECT_EQ(after.at("Artist - Album/02 - Two.mp3"), "someone else's");
    EXPECT_EQ(after.at("Artist - Album/c.mp3"), "older c");
    EXPECT_EQ(FakeMp3Marker(dir.File("c.mp3")), "c.mp3");
    EXPECT_EQ(FakeMp3Marker(album + "/b.mp3"), "b.mp3");
    EXPECT_EQ(FakeMp3Marker(album + "/01 - One.mp3"), "a.mp3");
    EXPECT_THAT(run.lines, Contains("Cannot move \"c.mp3\" into \"Artist - Album\": File exists"));
    EXPECT_THAT(run.lines, Contains("1 of 3 files failed."));
    EXPECT_THAT(run.lines, Contains("Cannot rename \"b.mp3\" to \"02 - Two.mp3\": File exists"));
    // The file that stayed behind is not renamed either: two of three failed.
    EXPECT_THAT(run.lines, Contains("2 of 3 files failed."));
    EXPECT_EQ(run.failures, 2);
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

// Runs body with the rights of an ordinary user: root passes every
// permission check, which would hide what a read-only folder does. Returns
// the body's complaint, empty when it found nothing wrong.
std::string RunAsOrdinaryUser(const std::function<std::string()>& body) {
    if (::geteuid() != 0) {
        return body();
    }
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string complaint = "cannot drop root rights";
        if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0) {
            complaint = body();
        }
        const ssize_t put = ::write(pipeFds[1], complaint.data(), complaint.size());
        ::_exit(put < 0 ? 2 : 0);
    }
    ::close(pipeFds[1]);
    std::string complaint;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        complaint.append(buffer, static_cast<size_t>(got));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "the test process ended abnormally: " + complaint;
    }
    return complaint;
}

std::string CheckReadOnlyFolder(const std::string& base, bool createDirectory) {
    const std::string folder = base + (createDirectory ? "/with-dir" : "/in-place");
    if (::mkdir(folder.c_str(), 0755) != 0) {
        return "cannot make the album folder";
    }
    TrackList files = {MakeFile(folder, "a.mp3", 10), MakeFile(folder, "b.mp3", 20)};
    ::chmod(folder.c_str(), 0555);
    FakeMp3Info mp3;
    const PipelineRun run = RunPipeline(files, {MakeTrack(1, "One"), MakeTrack(2, "Two")},
                                        {createDirectory, true, false}, mp3);
    ::chmod(folder.c_str(), 0755);
    std::string complaint;
    if (FakeMp3Marker(folder + "/a.mp3") != "a.mp3" ||
        FakeMp3Marker(folder + "/b.mp3") != "b.mp3") {
        complaint += "a file was lost or renamed\n";
    }
    if (run.failures == 0) {
        complaint += "no failure counted\n";
    }
    // Without a journal the run changes nothing.
    const std::string expected =
        "Cannot write the run journal in \"" + folder + "/\": Permission denied";
    if (!HasLine(run.lines, expected)) {
        complaint += "missing line: " + expected + "\n";
    }
    for (const auto& line : run.lines) {
        if (line.find("Done.") != std::string::npos && line.find("Renaming") == 0) {
            complaint += "renaming reported as done\n";
        }
        if (line.find("Creating Playlist... Done.") == 0) {
            complaint += "playlist reported as written\n";
        }
    }
    return complaint.empty() ? complaint : complaint + ::testing::PrintToString(run.lines);
}

TEST_F(SafetyTest, ReadOnlyFolderLosesNothingAndSaysWhy) {
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    EXPECT_EQ(RunAsOrdinaryUser([&] { return CheckReadOnlyFolder(dir.path(), false); }), "");
    EXPECT_EQ(RunAsOrdinaryUser([&] { return CheckReadOnlyFolder(dir.path(), true); }), "");
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
    std::map<std::string, std::string> before;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        files.push_back(MakeFile(mountPoint, name, 10));
        std::string content = FakeMp3Content(name);
        content.resize(8192, ' ');
        ASSERT_TRUE(WriteFileBytes(files.back().filePath, content));
        before[name] = content;
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

    const auto after = FolderContents(mountPoint);
    std::map<std::string, std::string> songs;
    for (const auto& [path, content] : after) {
        if (path.find(".mp3") != std::string::npos) {
            songs[content] = path;
        }
    }
    ASSERT_EQ(songs.size(), 3u) << ::testing::PrintToString(run.lines);
    for (const auto& [name, content] : before) {
        EXPECT_EQ(songs.count(content), 1u) << name << " changed or lost\n"
                                            << ::testing::PrintToString(run.lines);
    }
    EXPECT_THAT(run.lines, Contains("Cannot write the tag of \"a.mp3\": No space left on device"));
    EXPECT_THAT(run.lines,
                Contains("Cannot write the playlist \"Artist - Album.m3u\": No space left on "
                         "device"));
    EXPECT_THAT(run.lines, Contains("3 of 3 files failed."));
    EXPECT_EQ(run.failures, 4);
    for (const auto& [path, content] : after) {
        EXPECT_EQ(path.find(".m3u"), std::string::npos) << "a playlist was left: " << path;
    }
}

}  // namespace
}  // namespace corvane::test
