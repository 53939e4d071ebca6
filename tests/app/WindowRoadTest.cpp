// The road of one album through the main window, end to end: the folder is
// selected in the tree, "Query" finds the album on the local CDDB server,
// "Rename Files" runs the processing. The result is read back with TagLib
// and byte by byte. Real plug-ins, real lame files, offscreen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QListWidget>
#include <algorithm>
#include <climits>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "components/ComponentLoader.h"
#include "app/MainDialog.h"
#include "e2e/AlbumRoad.h"
#include "support/WidgetTestApp.h"
#include "widgets/FolderTreeCtrl.h"
#include "widgets/IconButton.h"
#include "widgets/SortListCtrl.h"

namespace corvane {
namespace {

// The program reads its settings from the current directory.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& path) {
        char buffer[PATH_MAX];
        if (::getcwd(buffer, sizeof buffer) != nullptr) {
            saved_ = buffer;
        }
        entered_ = ::chdir(path.c_str()) == 0;
    }
    ~WorkingDirectory() {
        if (!saved_.empty() && ::chdir(saved_.c_str()) != 0) {
            saved_.clear();
        }
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;
    bool Entered() const { return entered_; }

private:
    std::string saved_;
    bool entered_ = false;
};

std::vector<std::string> StatusLines(const MainDialog& window) {
    std::vector<std::string> lines;
    for (int i = 0; i < window.StatusList()->count(); ++i) {
        lines.push_back(window.StatusList()->item(i)->text().toStdString());
    }
    return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class WindowRoadTest : public test::WidgetTest {
protected:
    void SetUp() override {
        std::string missing = test::AlbumRoad::MissingTool();
        if (missing.empty() && !std::filesystem::exists(test::BinDir() + "/Settings.so")) {
            missing = "Settings.so is not built";
        }
        if (!missing.empty()) {
            GTEST_SKIP() << missing;
        }
    }

    test::AlbumRoad road_;
};

TEST_F(WindowRoadTest, SelectQueryRenameFiles) {
    ASSERT_TRUE(road_.MakeStandardAlbum());
    const std::map<std::string, std::string> before = test::Snapshot(road_.Album());
    road_.AddRecord("rock", "Los Niños / Días: Vol 1", {"Café", "Why?", "Last \"One\""},
                    {{1, "live take"}});
    ASSERT_TRUE(road_.StartServer());
    SettingsValues settings = road_.ServerSettings();
    settings.moveDependencies = 0;
    ASSERT_TRUE(road_.WriteSettings(settings));

    WorkingDirectory work(road_.Work());
    ASSERT_TRUE(work.Entered());
    ComponentLoader loader(test::BinDir());
    MainDialog window(loader);
    ASSERT_TRUE(window.HasSettings()) << window.LoadError();
    ASSERT_TRUE(window.Initialize()) << window.LoadError();

    // The user picks the folder in the tree.
    ASSERT_TRUE(window.FolderTree()->SelectPath(road_.Album()));
    ASSERT_EQ(window.FileList()->RowCount(), 3);
    EXPECT_EQ(window.Album().files[0].fileName, "B.mp3");
    EXPECT_TRUE(window.QueryButton()->isEnabled());
    EXPECT_FALSE(window.ExecuteButton()->isEnabled());

    window.QueryButton()->click();
    const std::vector<std::string> found = StatusLines(window);
    EXPECT_TRUE(HasLine(found, "DISK ID = " + road_.DiscId()));
    EXPECT_TRUE(HasLine(found,
                        "Album found in CDDB. Press \"Rename Files\" button to process "
                        "the files"));
    ASSERT_EQ(window.DatabaseList()->RowCount(), 3);
    ASSERT_TRUE(window.ExecuteButton()->isEnabled());

    // The processing dialog runs its steps on its timer and closes itself;
    // then the window scans the folder again, which holds no MP3 file now.
    window.ExecuteButton()->click();
    EXPECT_EQ(window.FileList()->RowCount(), 0);

    const std::string dirName = "Los Niños - Días_ Vol 1";
    const std::string dir = road_.Album() + "/" + dirName;
    EXPECT_EQ(test::Names(road_.Album()), std::vector<std::string>{dirName});
    const std::vector<std::string> names{"01 - Café.mp3", "02 - Why_.mp3", "03 - Last 'One'.mp3"};
    EXPECT_EQ(test::Names(dir),
              (std::vector<std::string>{"01 - Café.mp3", "02 - Why_.mp3", "03 - Last 'One'.mp3",
                                        dirName + ".m3u"}));
    test::ExpectStandardAlbumTracks(dir, names, before);
    std::string playlist;
    ASSERT_TRUE(test::ReadFileBytes(dir + "/" + dirName + ".m3u", playlist));
    EXPECT_EQ(playlist,
              "#EXTM3U\r\n"
              "#EXTINF:5,Café\r\n01 - Café.mp3\r\n"
              "#EXTINF:3,Why?\r\n02 - Why_.mp3\r\n"
              "#EXTINF:4,Last \"One\"\r\n03 - Last 'One'.mp3\r\n");
}

// The disc is unknown to the CDDB server; "Query" finds it by its table of
// contents on the local MusicBrainz stand-in, and it lands as a CDDB album
// does.
TEST_F(WindowRoadTest, AnAlbumUnknownToCddbIsFoundOnMusicBrainz) {
    ASSERT_TRUE(road_.MakeStandardAlbum());
    const std::map<std::string, std::string> before = test::Snapshot(road_.Album());
    road_.AddMusicBrainzRelease("Los Niños", "Días: Vol 1", "2001", "hip hop",
                                {"Café", "Why?", "Last \"One\""});
    ASSERT_TRUE(road_.StartServer());
    SettingsValues settings = road_.ServerSettings();
    settings.moveDependencies = 0;
    settings.createPlaylist = 0;
    ASSERT_TRUE(road_.WriteSettings(settings));

    WorkingDirectory work(road_.Work());
    ASSERT_TRUE(work.Entered());
    ComponentLoader loader(test::BinDir());
    MainDialog window(loader);
    ASSERT_TRUE(window.Initialize()) << window.LoadError();
    ASSERT_TRUE(window.FolderTree()->SelectPath(road_.Album()));
    window.QueryButton()->click();
    const std::vector<std::string> lines = StatusLines(window);
    const auto at =
        std::find(lines.begin(), lines.end(),
                  "Disk not found in the CDDB database with automatic diskid detection.");
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(
        std::vector<std::string>(at + 1, lines.end()),
        (std::vector<std::string>{
            "MusicBrainz DISC ID = " + road_.MusicBrainzId(), "Asking MusicBrainz... Please wait",
            "Album found in MusicBrainz. Press \"Rename Files\" button to process the files"}));
    ASSERT_TRUE(window.ExecuteButton()->isEnabled());

    window.ExecuteButton()->click();
    const std::string dir = road_.Album() + "/Los Niños - Días_ Vol 1";
    const std::vector<std::string> names{"01 - Café.mp3", "02 - Why_.mp3", "03 - Last 'One'.mp3"};
    EXPECT_EQ(test::Names(dir), names);
    test::ExpectStandardAlbumTracks(dir, names, before, "Hip-Hop", "");
}

}  // namespace
}  // namespace corvane
