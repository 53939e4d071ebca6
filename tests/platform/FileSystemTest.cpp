#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "support/TestSupport.h"

namespace corvane {
namespace {

std::string ReadText(const std::string& path) {
    std::string text;
    EXPECT_EQ(ReadWholeFile(path, text), 0);
    return text;
}

TEST(RenameNoReplace, MovesAndNeverReplaces) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteFileBytes(dir.File("a"), "A"));
    ASSERT_TRUE(test::WriteFileBytes(dir.File("b"), "B"));
    EXPECT_EQ(RenameNoReplace(dir.File("a"), dir.File("b")), EEXIST);
    EXPECT_EQ(ReadText(dir.File("a")), "A");
    EXPECT_EQ(ReadText(dir.File("b")), "B");
    EXPECT_EQ(RenameNoReplace(dir.File("a"), dir.File("c")), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("a")));
    EXPECT_EQ(ReadText(dir.File("c")), "A");
    EXPECT_EQ(RenameNoReplace(dir.File("missing"), dir.File("d")), ENOENT);
}

TEST(WriteFileAtomically, ReplacesContentKeepsPermissionsAndLeavesNoTemporary) {
    test::TempDir dir;
    const std::string path = dir.File("list.m3u");
    ASSERT_EQ(WriteFileAtomically(path, "one"), 0);
    ::chmod(path.c_str(), 0600);
    ASSERT_EQ(WriteFileAtomically(path, "two"), 0);
    EXPECT_EQ(ReadText(path), "two");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_EQ(WriteFileAtomically(dir.File("no/such/file"), "x"), ENOENT);
    // A read-only file gets its owner's write bit back.
    ::chmod(path.c_str(), 0444);
    EXPECT_TRUE(IsReadOnly(path));
    EXPECT_EQ(ClearReadOnly(path), 0);
    EXPECT_FALSE(IsReadOnly(path));
}

// Writable only while the object lives or until Restore; a file that is gone
// by then says so.
TEST(ReadOnly, TemporarilyWritableSetsTheAttributeAgain) {
    test::TempDir dir;
    const std::string path = dir.File("f");
    ASSERT_TRUE(test::WriteFileBytes(path, "x"));
    ::chmod(path.c_str(), 0440);
    {
        TemporarilyWritable writable(path);
        EXPECT_FALSE(IsReadOnly(path));
    }
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0440u);
    TemporarilyWritable writable(path);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_EQ(writable.Restore(), ENOENT);
}

}  // namespace
}  // namespace corvane
