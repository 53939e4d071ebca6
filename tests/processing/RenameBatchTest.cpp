#include "processing/RenameBatch.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <numeric>
#include <random>

#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "processing/AlbumFixture.h"
#include "support/TestSupport.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// The folder's files go by names relative to the folder given.
class RenameBatchTest : public ::testing::Test {
protected:
    void Put(const std::string& name) { WriteFileBytes(dir.File(name), "content of " + name); }

    TempDir dir;
};

// A taken name, two files wanting one name, a missing file, and a file
// waiting for a name whose holder cannot move: every file keeps a name.
TEST_F(RenameBatchTest, RenamesThatCannotBeDoneKeepTheirNames) {
    for (const char* name : {"a", "b", "c", "taken", "d", "e"}) {
        Put(name);
    }
    fs::create_directory(dir.File("sub"));
    const std::vector<RenameRequest> requests = {{"a", "same"},     {"b", "same"}, {"c", "taken"},
                                                 {"gone", "there"}, {"d", "e"},    {"e", "sub"}};
    const auto results = RenameAll(requests, dir.path() + "/");
    const std::vector<int> errors = {0, EEXIST, EEXIST, ENOENT, EEXIST, EEXIST};
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(results[i].error, errors[i]) << requests[i].from;
        EXPECT_EQ(results[i].finalName, i == 0 ? "same" : requests[i].from);
    }
    EXPECT_EQ(FolderContents(dir.path()).size(), 7u);
    EXPECT_EQ(FileText(dir.File("taken")), "content of taken");
}

// Random re-pairings of a folder of files, some wanting the same name or a
// name outside the set: every content survives exactly once, and every file
// said to be renamed carries its new name. Every other round the new names
// are all different (rings, chains out of the set, names kept): every file
// lands.
TEST_F(RenameBatchTest, RandomRepairingsLoseNothing) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        TempDir folder;
        const int count = 2 + static_cast<int>(random() % 30);
        std::vector<int> targets(static_cast<std::size_t>(count));
        std::iota(targets.begin(), targets.end(), static_cast<int>(random() % 3));
        std::shuffle(targets.begin(), targets.end(), random);
        const bool distinct = round % 2 == 0;
        std::vector<RenameRequest> requests;
        for (int i = 0; i < count; ++i) {
            const std::string name = std::to_string(i) + ".mp3";
            WriteFileBytes(folder.File(name), "song " + std::to_string(i));
            const int target = distinct ? targets[static_cast<std::size_t>(i)]
                                        : static_cast<int>(random() % (count + 3));
            requests.push_back({name, std::to_string(target) + ".mp3"});
        }
        const auto results = RenameAll(requests, folder.path() + "/");
        const auto after = FolderContents(folder.path());
        ASSERT_EQ(after.size(), static_cast<std::size_t>(count)) << "round " << round;
        for (int i = 0; i < count; ++i) {
            const RenameResult& result = results[static_cast<std::size_t>(i)];
            ASSERT_EQ(after.count(result.finalName), 1u) << "round " << round;
            EXPECT_EQ(after.at(result.finalName), "song " + std::to_string(i));
            EXPECT_TRUE(result.error == 0 || !distinct) << "round " << round;
            if (result.error == 0) {
                EXPECT_EQ(result.finalName, requests[static_cast<std::size_t>(i)].to);
            }
        }
    }
}

// Grouped: a ring of names goes in one group of moves; a move of the group
// that fails (a file changed meanwhile) is made again one by one.
TEST_F(RenameBatchTest, GroupedRenamesLandAsOneByOne) {
    for (const bool failFirst : {false, true}) {
        TempDir folder;
        for (const char* name : {"a", "b", "c"}) {
            WriteFileBytes(folder.File(name), name);
        }
        int groups = 0;
        int single = 0;
        const auto results = RenameAllGrouped(
            {{"a", "b"}, {"b", "a"}, {"c", "d"}}, folder.path() + "/",
            [&](const std::vector<RenameRequest>& moves) {
                ++groups;
                std::vector<int> errors;
                for (const RenameRequest& m : moves) {
                    const bool fail = failFirst && errors.empty();
                    errors.push_back(
                        fail ? EIO : RenameNoReplace(folder.File(m.from), folder.File(m.to)));
                }
                return errors;
            },
            [&](const std::string& from, const std::string& to) {
                ++single;
                return RenameNoReplace(folder.File(from), folder.File(to));
            });
        EXPECT_EQ(groups, 1);
        EXPECT_EQ(single > 0, failFirst);
        EXPECT_EQ(FolderContents(folder.path()),
                  (std::map<std::string, std::string>{{"a", "b"}, {"b", "a"}, {"d", "c"}}));
        for (const RenameResult& result : results) {
            EXPECT_EQ(result.error, 0);
        }
    }
}

// A file system that ignores case and gives each spelling its own inode
// number (exFAT): a change of case alone goes through a temporary name; a
// name taken by another file, whatever its case, stays refused.
TEST_F(RenameBatchTest, ACaseOnlyRenameWorksWhereCaseIsIgnored) {
    const auto ignoringCase = [this](const std::string& from, const std::string& to) {
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            if (ToUpperUtf8(entry.path().filename().string()) == ToUpperUtf8(to)) {
                return EEXIST;
            }
        }
        return RenameNoReplace(dir.File(from), dir.File(to));
    };
    Put("TRACK 1.mp3");
    Put("b.mp3");
    EXPECT_EQ(RenameOneNoReplace("TRACK 1.mp3", "Track 1.mp3", dir.path() + "/", ignoringCase), 0);
    EXPECT_EQ(FileText(dir.File("Track 1.mp3")), "content of TRACK 1.mp3");
    EXPECT_EQ(RenameOneNoReplace("Track 1.mp3", "B.mp3", dir.path() + "/", ignoringCase), EEXIST);
    EXPECT_EQ(FileText(dir.File("Track 1.mp3")), "content of TRACK 1.mp3");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace corvane::test
