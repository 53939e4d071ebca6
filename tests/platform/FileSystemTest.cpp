#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <functional>

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

// Where RENAME_NOREPLACE and hard links are refused (FAT, exFAT): a file
// another program puts at the target, before the claim or in its place or
// into it, survives, and the rename fails with EEXIST.
TEST(RenameByClaim, NeverReplacesWhatAnotherProgramPutThere) {
    struct Case {
        const char* what;
        std::function<void(const std::string& target)> meddle;  // between claim and rename
        bool before;                                            // the target is there first
    };
    const Case cases[] = {
        {"nobody", {}, false},
        {"there before", {}, true},
        {"written into the claim", [](const std::string& t) { test::WriteFileBytes(t, "X"); },
         false},
        {"put in its place",
         [](const std::string& t) {
             test::WriteFileBytes(t + ".new", "X");
             std::filesystem::rename(t + ".new", t);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        ASSERT_TRUE(test::WriteFileBytes(dir.File("a"), "A"));
        if (c.before) {
            ASSERT_TRUE(test::WriteFileBytes(dir.File("b"), "X"));
        }
        const bool meddled = c.before || c.meddle;
        const int error = RenameByClaim(dir.File("a"), dir.File("b"), [&] {
            if (c.meddle) {
                c.meddle(dir.File("b"));
            }
        });
        EXPECT_EQ(error, meddled ? EEXIST : 0);
        EXPECT_EQ(ReadText(dir.File("b")), meddled ? "X" : "A");
        EXPECT_EQ(std::filesystem::exists(dir.File("a")), meddled);
    }
    test::TempDir dir;
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_EQ(RenameByClaim(dir.File("folder"), dir.File("moved")), 0);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("moved")));
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
