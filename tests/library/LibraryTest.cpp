#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "album/DiscIdCalculator.h"
#include "cddb/ServerProcess.h"
#include "library/DiscMarker.h"
#include "library/LibraryWindow.h"
#include "support/FakeMp3Info.h"
#include "support/TestSupport.h"
#include "support/WidgetTestApp.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// The names of the disc folders and titles that make one album of several.
TEST(DiscMarkerTest, ReadsMarkersOfFoldersAndTitles) {
    const struct {
        const char* text;
        int folderNumber;
        const char* stripped;
        int number;
    } cases[] = {
        {"CD1", 1, "CD1", 0},           {"cd 2", 2, "cd 2", 0},
        {"Disc_3", 3, "Disc_3", 0},     {"disk-4", 4, "disk-4", 0},
        {"ABCD1", 0, "ABCD1", 0},       {"Album (Disc 1)", 0, "Album", 1},
        {"Album [CD2]", 0, "Album", 2}, {"Album - Disc 2", 0, "Album", 2},
        {"Album CD3", 0, "Album", 3},   {"Album (Live)", 0, "Album (Live)", 0},
        {"Track 12", 0, "Track 12", 0},
    };
    for (const auto& c : cases) {
        int number = -1;
        EXPECT_EQ(DiscFolderNumber(c.text), c.folderNumber) << c.text;
        EXPECT_EQ(StripDiscMarker(c.text, number), c.stripped) << c.text;
        EXPECT_EQ(number, c.number) << c.text;
    }
}

// The window over two albums on the local server: one to choose, one found.
class LibraryWindowTest : public WidgetTest {
protected:
    void SetUp() override {
        root_ = temp_.File("music");
        AddAlbum("choose", {{"c1.mp3", 5.0}, {"c2.mp3", 7.0}}, {"rock", "jazz"});
        AddAlbum("found", {{"f1.mp3", 6.0}, {"f2.mp3", 9.0}}, {"rock"});
        server_ = std::make_unique<ServerProcess>(temp_.File("cddb"));
        ASSERT_NE(server_->Port(), 0);
    }

    void AddAlbum(const std::string& name, const std::vector<std::pair<std::string, double>>& files,
                  const std::vector<std::string>& categories) {
        fs::create_directories(root_ + "/" + name);
        TrackList tracks;
        for (const auto& [file, seconds] : files) {
            WriteFileBytes(root_ + "/" + name + "/" + file, FakeMp3Content(file));
            FakeFile& fake = fakeFiles_[file];
            fake.playTime = seconds;
            fake.playSeconds = static_cast<unsigned>(seconds);
            tracks.emplace_back().playTime = seconds;
        }
        DiscIdCalculator calculator;
        const std::string id = HexId(calculator.ComputeDiscId(tracks));
        OffsetList offsets;
        calculator.GetOffsets(offsets);
        std::vector<int> frames;
        for (std::size_t i = 0; i + 1 < offsets.size(); ++i) {
            frames.push_back((offsets[i].minutes * 60 + offsets[i].seconds) * 75 +
                             offsets[i].frames);
        }
        for (const std::string& category : categories) {
            WriteRecord(temp_.File("cddb"), category, id,
                        MakeRecord(id, frames, offsets.back().minutes * 60 + offsets.back().seconds,
                                   category + " Artist / " + name, {"One", "Two"}));
        }
    }

    // One component object per thread that asks; the test keeps them.
    Mp3InfoPtr NewMp3() {
        auto fake = std::make_unique<FakeMp3Info>();
        fake->files = fakeFiles_;
        Mp3InfoPtr ptr(fake.get());
        fakes_.push_back(std::move(fake));
        return ptr;
    }

    TempDir temp_;
    std::string root_;
    std::map<std::string, FakeFile> fakeFiles_;
    std::unique_ptr<ServerProcess> server_;
    std::vector<std::unique_ptr<FakeMp3Info>> fakes_;
};

TEST_F(LibraryWindowTest, ListsTheAlbumsFilesTheFoundOnesAndOpensTheOthers) {
    SettingsValues settings;
    settings.cddbServer = "127.0.0.1:" + std::to_string(server_->Port());
    settings.askMusicBrainz = false;
    std::string opened;
    LibraryWindow window(
        root_, settings, [this] { return NewMp3(); },
        [&opened](const std::string& folder) { opened = folder; });
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Running(); }, 20000));
    QTreeWidget* list = window.AlbumList();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    std::map<QString, QTreeWidgetItem*> rows;
    for (int i = 0; i < 2; ++i) {
        rows[list->topLevelItem(i)->text(0)] = list->topLevelItem(i);
    }
    EXPECT_EQ(rows["choose"]->text(1), "choose");
    EXPECT_EQ(rows["found"]->text(1), "found");
    if (const char* dir = std::getenv("CORVANE_SCREENSHOT_DIR")) {
        window.grab().save(QString(dir) + "/library-window.png");
    }

    emit list->itemDoubleClicked(rows["found"], 0);
    EXPECT_EQ(opened, "");  // found albums are filed, not opened
    emit list->itemDoubleClicked(rows["choose"], 0);
    EXPECT_EQ(opened, root_ + "/choose");

    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->text() == "Put found albums in order") {
            button->click();
        }
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Running(); }, 20000));
    EXPECT_EQ(rows["found"]->text(1), "filed");
    EXPECT_TRUE(fs::exists(root_ + "/found/rock Artist - found/01 - One.mp3"));
    EXPECT_TRUE(fs::exists(root_ + "/choose/c1.mp3"));
}

}  // namespace
}  // namespace corvane::test
