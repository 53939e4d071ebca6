#include "processing/RenameBatch.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <random>

#include "processing/AlbumFixture.h"
#include "support/TestSupport.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

class RenameBatchTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::chdir(dir.path().c_str()), 0); }
    void Put(const std::string& name) { WriteFileBytes(dir.File(name), "content of " + name); }

    CurrentDirGuard cwd;
    TempDir dir;
};

TEST_F(RenameBatchTest, ChainsRingsAndUnchangedNamesAllLand) {
    const std::vector<std::vector<RenameRequest>> cases = {
        // a -> b -> c -> new listed in the worst order, a swap and a name kept.
        {{"a", "b"}, {"b", "c"}, {"c", "new"}, {"d", "e"}, {"e", "d"}, {"same", "same"}},
        // w waits for x, and x, y, z wait for each other.
        {{"w", "x"}, {"x", "y"}, {"y", "z"}, {"z", "w"}},
    };
    for (const auto& requests : cases) {
        SCOPED_TRACE(requests.front().from);
        TempDir folder;
        ASSERT_EQ(::chdir(folder.path().c_str()), 0);
        std::map<std::string, std::string> expected;
        for (const RenameRequest& request : requests) {
            WriteFileBytes(folder.File(request.from), "content of " + request.from);
            expected[request.to] = "content of " + request.from;
        }
        const auto results = RenameAll(requests);
        for (std::size_t i = 0; i < results.size(); ++i) {
            EXPECT_EQ(results[i].error, 0) << requests[i].from;
            EXPECT_EQ(results[i].finalName, requests[i].to);
        }
        EXPECT_EQ(FolderContents(folder.path()), expected);
    }
}

TEST_F(RenameBatchTest, TakenNamesClashesAndMissingFilesKeepTheirNames) {
    Put("a");
    Put("b");
    Put("c");
    Put("taken");
    const auto results =
        RenameAll({{"a", "same"}, {"b", "same"}, {"c", "taken"}, {"gone", "there"}});
    EXPECT_EQ(results[0].error, 0);
    EXPECT_EQ(results[1].error, EEXIST);
    EXPECT_EQ(results[1].finalName, "b");
    EXPECT_EQ(results[2].error, EEXIST);
    EXPECT_EQ(results[2].finalName, "c");
    EXPECT_EQ(results[3].error, ENOENT);
    EXPECT_EQ(results[3].finalName, "gone");
    EXPECT_EQ(FolderContents(dir.path()),
              (std::map<std::string, std::string>{{"same", "content of a"},
                                                  {"b", "content of b"},
                                                  {"c", "content of c"},
                                                  {"taken", "content of taken"}}));
}

TEST_F(RenameBatchTest, AWaitOnAFailingRenameLeavesEveryFileNamed) {
    Put("a");
    Put("b");
    fs::create_directory(dir.File("sub"));
    // a waits for b, and b's new name is taken by a folder.
    const auto results = RenameAll({{"a", "b"}, {"b", "sub"}});
    EXPECT_EQ(results[0].error, EEXIST);
    EXPECT_NE(results[1].error, 0);
    EXPECT_EQ(results[0].finalName, "a");
    EXPECT_EQ(results[1].finalName, "b");
    EXPECT_EQ(FolderContents(dir.path()).size(), 3u);
}

// Random re-pairings of a folder of files, some wanting the same name or a
// name outside the set: every content survives exactly once, and every file
// said to be renamed carries its new name.
TEST_F(RenameBatchTest, RandomRepairingsLoseNothing) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        TempDir folder;
        ASSERT_EQ(::chdir(folder.path().c_str()), 0);
        const int count = 2 + static_cast<int>(random() % 30);
        std::vector<RenameRequest> requests;
        for (int i = 0; i < count; ++i) {
            const std::string name = std::to_string(i) + ".mp3";
            WriteFileBytes(folder.File(name), "song " + std::to_string(i));
            const int target = static_cast<int>(random() % (count + 3));
            requests.push_back({name, std::to_string(target) + ".mp3"});
        }
        const auto results = RenameAll(requests);
        const auto after = FolderContents(folder.path());
        ASSERT_EQ(after.size(), static_cast<std::size_t>(count)) << "round " << round;
        for (int i = 0; i < count; ++i) {
            const RenameResult& result = results[static_cast<std::size_t>(i)];
            ASSERT_EQ(after.count(result.finalName), 1u) << "round " << round;
            EXPECT_EQ(after.at(result.finalName), "song " + std::to_string(i));
            if (result.error == 0) {
                EXPECT_EQ(result.finalName, requests[static_cast<std::size_t>(i)].to);
            }
        }
    }
}

TEST_F(RenameBatchTest, LongChainInWorstOrderLands) {
    std::vector<RenameRequest> requests;
    for (int i = 0; i < 300; ++i) {
        Put(std::to_string(i));
        requests.push_back({std::to_string(i), std::to_string(i + 1)});
    }
    const auto results = RenameAll(requests);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(results[static_cast<std::size_t>(i)].error, 0);
    }
    EXPECT_EQ(FolderContents(dir.path()).at("300"), "content of 299");
    EXPECT_EQ(FolderContents(dir.path()).count("0"), 0u);
}

}  // namespace
}  // namespace corvane::test
