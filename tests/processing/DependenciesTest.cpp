#include "processing/Dependencies.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <filesystem>

#include "processing/AlbumFixture.h"
#include "processing/DependenciesDialog.h"
#include "support/TestSupport.h"
#include "support/WidgetTestApp.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

constexpr const char* kDirName = "Artist - Album";

// The album folder after the MP3 files have gone into the album directory.
class DependenciesTest : public ::testing::Test {
protected:
    void SetUp() override { MakeFolder(); }

    void MakeFolder() {
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            fs::remove_all(entry.path());
        }
        for (const char* name :
             {"Cover.JPG", "info.txt", "Readme", "track.Mp3", ".directory", "Corvane Mp3.ini"}) {
            WriteFileBytes(dir.File(name), name);
        }
        fs::create_directory(dir.File("Scans.d"));
        fs::create_directory(dir.File(kDirName));
        context.firstTrack = MakeTrack(1, "One", "Artist", "Help");
        context.albumFolder = dir.path() + "/";
        context.dirName = kDirName;
        context.createDirectory = true;
        context.albumDirEntered = true;
        context.searchWords = "ARTIST ALBUM";
    }

    std::vector<std::string> Run(DependencyChooser* chooser) {
        DependencyMover mover(chooser);
        MemoryProcessingLog log;
        failures = mover.Run(context, log);
        return log.Lines();
    }

    std::vector<std::string> Moved() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.File(kDirName))) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    DependencyContext context;
    int failures = -1;
};

// Answers the dialog: sets the checks, then OK or Cancel.
struct ScriptedChooser : DependencyChooser {
    ScriptedChooser(std::vector<bool> checks, bool ok) : checks(std::move(checks)), ok(ok) {}
    bool ChooseDependencies(DependencyList& list, const std::string& dirName) override {
        shownDir = dirName;
        for (std::size_t i = 0; i < checks.size(); ++i) {
            list.Entries()[i].checked = checks[i];
        }
        return ok;
    }
    std::vector<bool> checks;
    bool ok;
    std::string shownDir;
};

// The files with an extension, each as "name+" when checked, "name-" when not.
TEST_F(DependenciesTest, ListsFilesWithAnExtensionAndChecksThoseOfTheAlbum) {
    const struct {
        std::string album;
        std::string words;
        std::string listed;
    } cases[] = {
        {"Help", "ARTIST ALBUM", "Cover.JPG- info.txt-"},
        {"Help", "", "Cover.JPG+ info.txt+"},              // empty words are in every name
        {"", "ARTIST ALBUM", "Cover.JPG+ info.txt+"},      // and so is an empty album
        {"Info", "ARTIST ALBUM", "Cover.JPG- info.txt+"},  // the album text in any case
        {"Help", "COVER", "Cover.JPG+ info.txt-"},
    };
    for (const auto& c : cases) {
        DependencyList list;
        ASSERT_EQ(ListDependencies(dir.path(), c.album, c.words, list), 0);
        std::string listed;
        for (const auto& entry : list.Entries()) {
            listed += (listed.empty() ? "" : " ") + entry.name + (entry.checked ? "+" : "-");
        }
        EXPECT_EQ(listed, c.listed) << c.album << "/" << c.words;
    }
}

TEST_F(DependenciesTest, MovesWhatTheUserChecksAndNothingOnCancel) {
    struct Case {
        bool createDirectory;
        bool confirm;
        std::vector<bool> checks;
        bool ok;
        std::vector<std::string> lines;
        std::vector<std::string> moved;
    };
    const std::string checked = "Checking For Dependencies... Done.";
    const std::string moved = "Moving Dependencies Files... Done.";
    const Case cases[] = {
        {true, true, {false, true}, false, {checked}, {}},
        {true, true, {false, true}, true, {checked, moved}, {"info.txt"}},
        // Without asking, only the matching files move: none here.
        {true, false, {true, true}, true, {checked, moved}, {}},
        {false, true, {true, true}, true, {}, {}},
    };
    for (const Case& c : cases) {
        MakeFolder();
        context.createDirectory = c.createDirectory;
        context.confirmDependencies = c.confirm;
        ScriptedChooser chooser(c.checks, c.ok);
        EXPECT_EQ(Run(&chooser), c.lines);
        EXPECT_EQ(Moved(), c.moved);
        EXPECT_EQ(failures, 0);
        EXPECT_EQ(chooser.shownDir, c.confirm && c.createDirectory ? kDirName : "");
    }
}

TEST_F(DependenciesTest, AFileOfTheSameNameInTheAlbumDirectoryIsKept) {
    WriteFileBytes(dir.File(std::string(kDirName) + "/Cover.JPG"), "the cover already there");
    ScriptedChooser chooser({true, true}, true);
    context.confirmDependencies = true;
    EXPECT_THAT(Run(&chooser),
                ElementsAre("Checking For Dependencies... Done.", "Moving Dependencies Files...",
                            "Kept \"Cover.JPG\" in the album folder: \"Artist - Album\" holds a "
                            "file of that name.",
                            "1 of 2 files not moved."));
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(FileText(dir.File(std::string(kDirName) + "/Cover.JPG")), "the cover already there");
    EXPECT_EQ(FileText(dir.File("Cover.JPG")), "Cover.JPG");
    EXPECT_EQ(FileText(dir.File(std::string(kDirName) + "/info.txt")), "info.txt");
}

TEST_F(DependenciesTest, DialogListsSortedChecksAndReadsThemBackOnCancel) {
    WidgetApp();
    DependencyList list;
    list.AddEntry("info.txt", true);
    list.AddEntry("b.log", false);
    list.AddEntry("Cover.JPG", true);
    DependenciesDialog dialog(list);
    dialog.SetDirectoryName(kDirName);
    EXPECT_EQ(dialog.DirectoryText()->text(),
              "Please select on the list the files you want to move in the Artist - Album "
              "directory.");
    QListWidget* lines = dialog.List();
    ASSERT_EQ(lines->count(), 3);
    EXPECT_EQ(lines->item(0)->text(), "b.log");
    EXPECT_EQ(lines->item(1)->text(), "Cover.JPG");
    EXPECT_EQ(lines->item(2)->text(), "info.txt");
    EXPECT_FALSE(lines->item(0)->flags() & Qt::ItemIsSelectable);
    EXPECT_EQ(dialog.windowTitle(), "2 Dependencies found");
    lines->item(2)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(dialog.windowTitle(), "1 Dependency found");
    lines->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(dialog.windowTitle(), "No dependencies found");
    lines->item(0)->setCheckState(Qt::Checked);
    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(list.Entries()[0].checked);  // info.txt
    EXPECT_TRUE(list.Entries()[1].checked);   // b.log
    EXPECT_FALSE(list.Entries()[2].checked);  // Cover.JPG
}

}  // namespace
}  // namespace corvane::test
