#include "app/MainDialog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "album/DiscIdCalculator.h"
#include "app/SplashWindow.h"
#include "cddb/ServerProcess.h"
#include "settings/SettingsIni.h"
#include "support/LayoutCheck.h"
#include "support/TestSupport.h"
#include "support/WidgetTestApp.h"
#include "widgets/FolderTreeCtrl.h"
#include "widgets/IconButton.h"
#include "widgets/SortListCtrl.h"
#include "widgets/SplitterBar.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::MisplacedControls;

// The window with the prompts that would wait for a user answered by the test.
class TestWindow : public MainDialog {
public:
    using MainDialog::MainDialog;

    int AskTrackCount(bool, bool) override {
        ++asked;
        return trackCountAnswer;
    }
    bool ChooseDisc(const std::vector<DiscMatch>& matches, std::size_t& chosen) override {
        offered = matches.size();
        const QCursor* cursor = QApplication::overrideCursor();
        busyWhileChoosing = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        chosen = matches.size() - 1;
        return true;
    }
    void ChooseAction(int action) {
        ActionCombo()->setCurrentIndex(action);
        OnActionChanged(action);
    }
    bool HasStatus(const std::string& text) const {
        const std::vector<std::string> lines = StatusTexts();
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }
    std::vector<std::string> StatusTexts() const {
        std::vector<std::string> lines;
        for (int i = 0; i < StatusList()->count(); ++i) {
            lines.push_back(StatusList()->item(i)->text().toStdString());
        }
        return lines;
    }

    std::vector<QString> stopMessages;
    int unfinishedAsked = 0;
    int settingsShown = 0;
    int trackCountAnswer = 3;
    int asked = 0;
    std::size_t offered = 0;
    bool busyWhileChoosing = false;

protected:
    void ShowStopMessage(const QString& text) override { stopMessages.push_back(text); }
    int AskUnfinishedRun(bool canFinish) override {
        ++unfinishedAsked;
        return canFinish ? kFinishRun : 0;
    }
    int RunSettingsDialog() override {
        ++settingsShown;
        return 0;
    }
};

std::string Hex(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(id));
    return text;
}

class MainDialogTest : public test::WidgetTest {
protected:
    static void SetUpTestSuite() {
        // Three short tracks of different lengths, encoded once for the suite.
        source_ = std::make_unique<test::TempDir>();
        const long lengths[] = {75 * 588 * 3, 75 * 588 * 4 + 100, 75 * 588 * 2 + 7};
        const char* names[] = {"b track.mp3", "a track.mp3", "c track.mp3"};
        for (int i = 0; i < 3; ++i) {
            test::MakeMp3(source_->path(), names[i], lengths[i], {"-b", "128", "--quiet"});
        }
    }
    static void TearDownTestSuite() { source_.reset(); }

    void SetUp() override {
        cwd_ = fs::current_path();
        fs::current_path(work.path());
        album = work.File("album");
        fs::create_directories(album);
        for (const auto& entry : fs::directory_iterator(source_->path())) {
            fs::copy_file(entry.path(), fs::path(album) / entry.path().filename());
        }
        settings.configured = 1;
        settings.showSplash = 0;
        settings.windowWidth = 0;
        settings.windowHeight = 0;
    }

    void TearDown() override {
        window.reset();
        fs::current_path(cwd_);
    }

    // Writes the settings file and opens the window with the real plug-ins.
    TestWindow& Open(bool initialize = true, const std::string& pluginDir = "") {
        // The program reads its settings from the current directory.
        fs::current_path(work.path());
        SaveSettingsFile(work.File("Corvane Mp3.ini"), settings);
        loader = std::make_unique<ComponentLoader>(pluginDir.empty() ? test::BinDir() : pluginDir);
        window = std::make_unique<TestWindow>(*loader);
        if (initialize) {
            EXPECT_TRUE(window->Initialize());
        }
        return *window;
    }

    void ServeAlbum(int trackCount, const std::string& category = "rock") {
        DiscIdCalculator calculator;
        const std::uint32_t id = calculator.ComputeDiscId(window->Album().files);
        std::vector<std::string> titles;
        for (int i = 0; i < trackCount; ++i) {
            titles.push_back("Song " + std::to_string(i + 1));
        }
        test::WriteRecord(
            records.path(), category, Hex(id),
            test::MakeRecord(Hex(id), {150, 400, 700, 900}, 12,
                             (category == "rock" ? "Band" : "Band of " + category) + " / Record",
                             titles));
    }

    void StartServer() {
        fs::create_directories(records.path() + "/rock");
        server = std::make_unique<test::ServerProcess>(records.path());
        ASSERT_GT(server->Port(), 0);
        settings.cddbServer = "127.0.0.1:" + std::to_string(server->Port());
    }

    void SelectFolder(const std::string& folder) {
        ASSERT_TRUE(window->FolderTree()->SelectPath(folder));
    }

    static std::unique_ptr<test::TempDir> source_;
    fs::path cwd_;
    test::TempDir work;
    test::TempDir records;
    std::string album;
    SettingsValues settings;
    std::unique_ptr<test::ServerProcess> server;
    std::unique_ptr<ComponentLoader> loader;
    std::unique_ptr<TestWindow> window;
};

std::unique_ptr<test::TempDir> MainDialogTest::source_;

TEST_F(MainDialogTest, StartsWithWelcomeAndReadyAndEverythingIdle) {
    settings.createPlaylist = 0;
    settings.fileColumns[0] = 0;      // Playtime
    settings.databaseColumns[5] = 0;  // Genre
    TestWindow& w = Open();
    const std::vector<std::string> status = w.StatusTexts();
    ASSERT_EQ(status.size(), 2u);
    EXPECT_EQ(status[0].rfind("Welcome to Corvane MP3 ! [v2.00 - Code by ", 0), 0u);
    EXPECT_EQ(status[1], "Ready.");
    EXPECT_FALSE(w.QueryButton()->isEnabled());
    EXPECT_FALSE(w.ExecuteButton()->isEnabled());
    EXPECT_FALSE(w.ArtistEdit()->isEnabled());
    EXPECT_FALSE(w.GenreCombo()->isEnabled());
    EXPECT_FALSE(w.CreatePlaylistCheck()->isChecked());
    EXPECT_TRUE(w.CreateDirectoryCheck()->isChecked());
    EXPECT_EQ(w.CaseCombo()->currentText(), "Do nothing");
    EXPECT_EQ(w.ServerCombo()->currentText(), "gnudb.gnudb.org, 80");
    // The genre list: 90 names, sorted, with their historic spellings.
    ASSERT_EQ(w.GenreCombo()->count(), 90);
    EXPECT_GE(w.GenreCombo()->findText("Phychedelic"), 0);
    EXPECT_GE(w.GenreCombo()->findText("Comteporary Christian"), 0);
    EXPECT_EQ(w.GenreCombo()->itemText(0), "A Capella");
    EXPECT_TRUE(w.SplashTimer().isActive());
    EXPECT_EQ(w.FileList()->EmptyText(), "First select an MP3 Folder...");
    EXPECT_EQ(w.DatabaseList()->EmptyText(), "No item");
    // Columns follow the settings.
    EXPECT_TRUE(w.FileList()->isColumnHidden(1));
    EXPECT_FALSE(w.FileList()->isColumnHidden(2));
    EXPECT_FALSE(w.FileList()->isColumnHidden(11));
    EXPECT_EQ(w.FileList()->columnWidth(0), 250);
    EXPECT_TRUE(w.DatabaseList()->isColumnHidden(6));
    EXPECT_FALSE(w.DatabaseList()->isColumnHidden(1));
}

TEST_F(MainDialogTest, MissingComponentsEndTheStart) {
    test::TempDir empty;
    Open(false, empty.path());
    EXPECT_FALSE(window->HasSettings());
    EXPECT_NE(window->LoadError().find("Cannot find DLL <Settings.so>"), std::string::npos);
    EXPECT_FALSE(window->Initialize());

    // Settings present, MP3 component missing: message, status line, closed.
    test::TempDir onlySettings;
    fs::create_symlink(test::BinDir() + "/Settings.so", onlySettings.File("Settings.so"));
    TestWindow& w = Open(false, onlySettings.path());
    ASSERT_TRUE(w.HasSettings());
    EXPECT_FALSE(w.Initialize());
    ASSERT_EQ(w.stopMessages.size(), 1u);
    EXPECT_TRUE(w.stopMessages[0].startsWith("Cannot find DLL <Mp3Info.so>"));
    EXPECT_NE(w.StatusTexts().back().find("Cannot find DLL <Mp3Info.so>"), std::string::npos);
    EXPECT_EQ(w.result(), QDialog::Rejected);
    EXPECT_FALSE(w.SplashTimer().isActive());
}

TEST_F(MainDialogTest, RepeatedStatusTextsAreDropped) {
    TestWindow& w = Open();
    const int before = w.StatusList()->count();
    w.AddStatus("one");
    w.AddStatus("one");
    w.AddStatus("two");
    w.AddStatus("one");
    EXPECT_EQ(w.StatusList()->count(), before + 3);
    EXPECT_EQ(w.StatusList()->currentRow(), w.StatusList()->count() - 1);
    w.AddStatus("Read from CDDB failed. Error: 1, Response:x\n");
    EXPECT_EQ(w.StatusTexts().back(), "Read from CDDB failed. Error: 1, Response:x");
    // A hostile server's long answer does not become a megabyte-wide line.
    w.AddStatus("Read from CDDB failed. Error: 10043, Response:" + std::string(100000, 'x'));
    EXPECT_LE(w.StatusTexts().back().size(), 1003u);
}

TEST_F(MainDialogTest, RememberedFolderIsScannedAtStart) {
    settings.lastFolder = album;
    TestWindow& w = Open();
    const std::vector<std::string> status = w.StatusTexts();
    ASSERT_EQ(status.size(), 3u);
    EXPECT_EQ(status[1], "Press \"Query\" button to query CDDB !");
    EXPECT_EQ(status[2], "Ready.");
    ASSERT_EQ(w.FileList()->RowCount(), 3);
    EXPECT_EQ(w.FileList()->ItemText(0, 0), "a track.mp3");
    EXPECT_EQ(w.FileList()->ItemText(0, 10), "Ok");
    EXPECT_TRUE(w.QueryButton()->isEnabled());
    EXPECT_EQ(w.Album().folder, album);
}

TEST_F(MainDialogTest, FoldersWithoutFilesOrAccessSayWhatHappened) {
    TestWindow& w = Open();
    const std::string empty = work.File("empty");
    fs::create_directories(empty);
    SelectFolder(album);
    EXPECT_EQ(w.FileList()->RowCount(), 3);
    SelectFolder(empty);
    EXPECT_EQ(w.FileList()->RowCount(), 0);
    EXPECT_EQ(w.StatusTexts().back(), "No MP3 Files found in this directory.");
    EXPECT_TRUE(w.Album().tracks.empty());

    // A folder that cannot be entered changes nothing.
    SelectFolder(album);
    const int lines = w.StatusList()->count();
    EXPECT_EQ(w.ScanFolder(work.File("missing")), -1);
    EXPECT_EQ(w.FileList()->RowCount(), 3);
    EXPECT_EQ(w.StatusList()->count(), lines);
}

TEST_F(MainDialogTest, RowsOfTheTwoViewsFollowEachOther) {
    TestWindow& w = Open();
    SelectFolder(album);
    w.Album().tracks = w.Album().files;
    for (TrackInfo& track : w.Album().tracks) {
        track.title = "T";
    }
    w.FillDatabaseList();
    ASSERT_EQ(w.DatabaseList()->RowCount(), 3);

    // The one selected row of a view, -1 for none or several.
    auto selectedRow = [](SortListCtrl* list) {
        const QList<QTreeWidgetItem*> rows = list->selectedItems();
        return rows.size() == 1 ? list->indexOfTopLevelItem(rows[0]) : -1;
    };
    w.FileList()->setCurrentItem(w.FileList()->topLevelItem(1));
    EXPECT_EQ(selectedRow(w.DatabaseList()), 1);
    EXPECT_FALSE(w.IsListSyncMuted());
    w.DatabaseList()->setCurrentItem(w.DatabaseList()->topLevelItem(2));
    EXPECT_EQ(selectedRow(w.FileList()), 2);
    EXPECT_EQ(selectedRow(w.DatabaseList()), 2);
    EXPECT_FALSE(w.IsListSyncMuted());
}

TEST_F(MainDialogTest, ButtonAndTagFieldStatesFollowTheAction) {
    TestWindow& w = Open();
    SelectFolder(album);
    w.FileList()->setCurrentItem(w.FileList()->topLevelItem(0));
    // "Rename Files": the fields show the file but stay disabled.
    EXPECT_FALSE(w.ArtistEdit()->isEnabled());
    EXPECT_FALSE(w.ExecuteButton()->isEnabled());

    w.ChooseAction(MainDialog::kActionTag);
    EXPECT_EQ(w.ExecuteButton()->text(), "&ID3 Tag File");
    EXPECT_FALSE(w.FormatCombo()->isEnabled());
    EXPECT_TRUE(w.ArtistEdit()->isEnabled());
    EXPECT_TRUE(w.ExecuteButton()->isEnabled());

    w.FileList()->clearSelection();
    EXPECT_FALSE(w.ArtistEdit()->isEnabled());
    EXPECT_TRUE(w.ArtistEdit()->text().isEmpty());

    w.ChooseAction(MainDialog::kActionRename);
    EXPECT_EQ(w.ExecuteButton()->text(), "&Rename Files");
    EXPECT_TRUE(w.FormatCombo()->isEnabled());
    EXPECT_FALSE(w.ArtistEdit()->isEnabled());
}

// The typed fields reach the file, also one whose name is not UTF-8.
TEST_F(MainDialogTest, TagFilesWritesTheTypedFields) {
    const std::string latin1 = std::string("caf\xe9.mp3");
    fs::rename(fs::path(album) / "a track.mp3", fs::path(album) / latin1);
    TestWindow& w = Open();
    SelectFolder(album);
    ASSERT_EQ(w.FileList()->RowCount(), 3);
    const int row = 2;  // names sort byte-wise: "caf\xe9" after "c track"
    ASSERT_EQ(w.Album().files[static_cast<std::size_t>(w.FileRecordOfRow(row))].fileName, latin1);
    w.ChooseAction(MainDialog::kActionTag);
    w.FileList()->setCurrentItem(w.FileList()->topLevelItem(row));
    w.ArtistEdit()->setText("Somebody");
    w.AlbumEdit()->setText("Something");
    w.YearEdit()->setText("1999");
    w.GenreCombo()->setEditText("Made Up Genre");
    w.OnExecute();
    EXPECT_EQ(w.StatusTexts().back(), "ID3 information saved.");
    // Read back from the file itself.
    w.ScanFolder(album);
    EXPECT_EQ(w.FileList()->ItemText(row, 5), "Somebody");
    EXPECT_EQ(w.FileList()->ItemText(row, 4), "Something");
    EXPECT_EQ(w.FileList()->ItemText(row, 6), "1999");
    EXPECT_EQ(w.FileList()->ItemText(row, 7), "Made Up Genre");
    // A genre outside the list is shown as it is, not dropped.
    w.FileList()->setCurrentItem(w.FileList()->topLevelItem(row));
    EXPECT_EQ(w.GenreCombo()->currentText(), "Made Up Genre");
}

TEST_F(MainDialogTest, ExecuteBeforeAnyAlbumDoesNothing) {
    TestWindow& w = Open();
    SelectFolder(album);
    const int lines = w.StatusList()->count();
    w.OnExecute();
    EXPECT_EQ(w.StatusList()->count(), lines);
    EXPECT_TRUE(fs::exists(fs::path(album) / "a track.mp3"));
    EXPECT_EQ(std::distance(fs::directory_iterator(album), fs::directory_iterator()), 3);
}

TEST_F(MainDialogTest, QueryThenExecuteRenamesAndRescans) {
    StartServer();
    settings.createDirectory = 0;
    settings.createPlaylist = 1;
    TestWindow& w = Open();
    SelectFolder(album);
    ServeAlbum(3);
    w.QueryCommand();
    EXPECT_EQ(w.StatusTexts().back(),
              "Album found in CDDB. Press \"Rename Files\" button to process the files");
    ASSERT_EQ(w.DatabaseList()->RowCount(), 3);
    std::vector<QString> names;
    for (int row = 0; row < 3; ++row) {
        names.push_back(w.DatabaseList()->ItemText(row, 0));
        EXPECT_TRUE(names.back().contains(QString("Song %1").arg(row + 1))) << row;
    }
    EXPECT_TRUE(w.ExecuteButton()->isEnabled());
    EXPECT_TRUE(w.QueryButton()->isEnabled());
    EXPECT_EQ(w.asked, 0);

    w.OnExecute();
    // The folder was scanned again and shows the renamed files.
    ASSERT_EQ(w.FileList()->RowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(w.FileList()->ItemText(row, 0), names[row]);
        EXPECT_TRUE(fs::exists(fs::path(album) / names[row].toStdString()));
    }
    EXPECT_EQ(w.FileList()->ItemText(1, 3), "Song 2");
    EXPECT_EQ(w.FileList()->ItemText(1, 5), "Band");
    EXPECT_EQ(w.DatabaseList()->RowCount(), 0);
    EXPECT_FALSE(w.IsTreeMuted());
    EXPECT_EQ(w.FolderTree()->GetItemPath(w.FolderTree()->currentItem()), album);
    EXPECT_EQ(w.StatusTexts().back(), "3 files done.");

    // A run that looks killed is offered to be finished when its folder is scanned.
    const std::string journal = album + "/.corvane-run/journal";
    std::string text;
    ASSERT_TRUE(test::ReadFileBytes(journal, text));
    ASSERT_TRUE(test::WriteFileBytes(journal, text.substr(0, text.rfind("end\n"))));
    w.OnFolderSelected();
    EXPECT_EQ(w.unfinishedAsked, 1);
    EXPECT_EQ(w.StatusTexts().back(), "The last run is finished.");
    // "Undo Last Rename" puts the old names back.
    w.ChooseAction(MainDialog::kActionUndo);
    EXPECT_EQ(w.ExecuteButton()->text(), "&Undo Last Rename");
    ASSERT_TRUE(w.ExecuteButton()->isEnabled());
    w.OnExecute();
    EXPECT_EQ(w.StatusTexts().back(), "The last run is undone.");
    EXPECT_EQ(w.FileList()->ItemText(0, 0), "a track.mp3");
    EXPECT_FALSE(w.ExecuteButton()->isEnabled());
}

TEST_F(MainDialogTest, TrackCountMismatchCanCancelTheQuery) {
    StartServer();
    TestWindow& w = Open();
    SelectFolder(album);
    ServeAlbum(4);
    w.trackCountAnswer = 3;
    w.QueryCommand();
    ASSERT_EQ(w.asked, 1);
    EXPECT_EQ(w.StatusTexts().back(), "Operation cancelled.");
    EXPECT_EQ(w.DatabaseList()->RowCount(), 0);
    EXPECT_FALSE(w.ExecuteButton()->isEnabled());
    EXPECT_TRUE(w.QueryButton()->isEnabled());

    w.trackCountAnswer = 2;
    w.QueryCommand();
    // Kept: the view shows no more rows than there are files.
    EXPECT_EQ(w.Album().tracks.size(), 4u);
    EXPECT_EQ(w.DatabaseList()->RowCount(), 3);
    EXPECT_TRUE(w.ExecuteButton()->isEnabled());
}

TEST_F(MainDialogTest, TimerOpensTheSettingsUntilConfigured) {
    settings.configured = 0;
    TestWindow& w = Open();
    w.OnTimer();
    EXPECT_EQ(w.settingsShown, 1);
    EXPECT_FALSE(w.SplashTimer().isActive());
    EXPECT_EQ(w.Splash(), nullptr);

    settings.configured = 1;
    settings.showSplash = 1;
    TestWindow& again = Open();
    ASSERT_NE(again.Splash(), nullptr);
    again.OnTimer();
    EXPECT_EQ(again.settingsShown, 0);
    EXPECT_EQ(again.Splash(), nullptr);
}

TEST_F(MainDialogTest, ClosingWritesTheSettingsBack) {
    settings.lastFolder = "-";
    settings.windowWidth = 1000;
    settings.windowHeight = 700;
    TestWindow& w = Open();
    SelectFolder(album);
    w.CreatePlaylistCheck()->setChecked(false);
    w.resize(1100, 760);
    w.show();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(w.result(), QDialog::Rejected);
    window.reset();

    SettingsValues saved;
    ASSERT_TRUE(LoadSettingsFile(work.File("Corvane Mp3.ini"), saved));
    EXPECT_EQ(saved.lastFolder, album);
    EXPECT_EQ(saved.createPlaylist, 0);
    EXPECT_EQ(saved.windowWidth, 1100);
    EXPECT_EQ(saved.windowHeight, 760);
    EXPECT_EQ(saved.nameFormat, settings.nameFormat);
}

TEST_F(MainDialogTest, AutoQueryAtStartIsUndoneByTheSecondScan) {
    StartServer();
    settings.autoQuery = 1;
    settings.lastFolder = album;
    // The record must exist before the window starts, as the query runs at
    // start: a first window finds the disc id.
    Open();
    ServeAlbum(3);
    window.reset();
    TestWindow& w = Open();
    // The folder's selection queried at once, without asking for the button.
    EXPECT_FALSE(w.HasStatus("Press \"Query\" button to query CDDB !"));
    EXPECT_TRUE(w.HasStatus("Connecting... Please wait"));
    EXPECT_TRUE(
        w.HasStatus("Album found in CDDB. Press \"Rename Files\" button to process the files"));
    EXPECT_EQ(w.StatusTexts().back(), "Ready.");
    // The second scan emptied the album again; Execute then does nothing.
    EXPECT_EQ(w.DatabaseList()->RowCount(), 0);
    EXPECT_TRUE(w.Album().tracks.empty());
    EXPECT_TRUE(w.ExecuteButton()->isEnabled());
    w.OnExecute();
    EXPECT_EQ(w.StatusTexts().back(), "Ready.");
    EXPECT_TRUE(fs::exists(fs::path(album) / "a track.mp3"));
}

TEST_F(MainDialogTest, NameFormatAndCaseChangesRenameTheTracks) {
    StartServer();
    TestWindow& w = Open();
    SelectFolder(album);
    ServeAlbum(3);
    w.QueryCommand();
    ASSERT_EQ(w.DatabaseList()->RowCount(), 3);
    const QString before = w.DatabaseList()->ItemText(0, 0);
    w.CaseCombo()->setCurrentText("Upper Case");
    w.OnFormatChanged();
    EXPECT_EQ(w.DatabaseList()->ItemText(0, 0), before.left(before.size() - 4).toUpper() + ".mp3");

    // " More..." leaves the template in use selected.
    const QString format = w.FormatCombo()->currentText();
    w.FormatCombo()->setCurrentText(" More...");
    w.OnFormatChanged();
    EXPECT_EQ(w.FormatCombo()->currentText(), format);
}

TEST_F(MainDialogTest, SeveralMatchesAreChosenWhileTheWindowIsBusy) {
    StartServer();
    TestWindow& w = Open();
    SelectFolder(album);
    ServeAlbum(3, "jazz");
    ServeAlbum(3, "rock");
    w.QueryCommand();
    ASSERT_EQ(w.offered, 2u);
    EXPECT_TRUE(w.busyWhileChoosing);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.DatabaseList()->RowCount(), 3);
}

TEST_F(MainDialogTest, MoreServersFillsTheServerBoxFromTheDefaultServer) {
    StartServer();
    TestWindow& w = Open();
    const QString local = QString("127.0.0.1, %1").arg(server->Port());
    ASSERT_EQ(w.ServerCombo()->itemText(0), local);
    w.ServerCombo()->setCurrentIndex(1);
    w.OnServerChanged();
    ASSERT_EQ(w.ServerCombo()->count(), 1);
    EXPECT_EQ(w.ServerCombo()->currentText(), local);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainDialogTest, AboutShowsThePictureUntilClicked) {
    TestWindow& w = Open();
    QTimer::singleShot(0, &w, [] {
        auto* about = qobject_cast<SplashWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        EXPECT_FALSE(about->Picture()->pixmap().isNull());
        QTest::mouseClick(about->Picture(), Qt::LeftButton);
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    guard.start(5000);
    w.OnAbout();
    EXPECT_TRUE(guard.isActive());
}

TEST_F(MainDialogTest, HiddenStatusListGivesItsRoomToTheViews) {
    const int shownBottom = [&] {
        TestWindow& shown = Open();
        return shown.DatabaseList()->geometry().bottom();
    }();
    settings.showStatusList = 0;
    TestWindow& w = Open();
    EXPECT_TRUE(w.StatusList()->isHidden());
    EXPECT_GT(w.DatabaseList()->geometry().bottom(), shownBottom + 50);
    EXPECT_EQ(w.FolderTree()->geometry().bottom(), w.DatabaseList()->geometry().bottom());
}

// Nothing overlaps at the first size, larger, after a splitter move or at the
// minimum size; a moved splitter bar keeps its place.
TEST_F(MainDialogTest, LayoutHoldsAndMovedSplitterBarsStay) {
    settings.lastFolder = album;
    TestWindow& w = Open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(MisplacedControls(&w), std::vector<std::string>());
    auto* bar = w.findChild<VerticalSplitterBar*>();
    ASSERT_NE(bar, nullptr);
    const int treeWidth = w.FolderTree()->width();
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 100));
    QTest::mouseMove(bar, QPoint(62, 100));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(62, 100));
    ASSERT_EQ(w.FolderTree()->width(), treeWidth + 60);

    // Resizing keeps the new share: the tree keeps its width, the lists
    // take the change.
    const int listWidth = w.FileList()->width();
    w.resize(w.width() + 100, w.height() + 40);
    EXPECT_EQ(w.FolderTree()->width(), treeWidth + 60);
    EXPECT_EQ(w.FileList()->width(), listWidth + 100);
    EXPECT_EQ(w.DatabaseList()->x(), w.FileList()->x());
    EXPECT_EQ(MisplacedControls(&w), std::vector<std::string>());

    // The tree cannot be made narrower than its minimum (the pane and its
    // one-pixel gap to the bar).
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 100));
    QTest::mouseMove(bar, QPoint(-1000, 100));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(-1000, 100));
    EXPECT_GE(w.FolderTree()->width() + 1, MainDialog::kMinPaneSize);
    EXPECT_LT(w.FolderTree()->width(), treeWidth);
    w.resize(w.minimumSize());
    EXPECT_EQ(MisplacedControls(&w), std::vector<std::string>());
}

}  // namespace
}  // namespace corvane
