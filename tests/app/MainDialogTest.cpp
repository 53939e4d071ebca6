#include "app/MainDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "album/DiscIdCalculator.h"
#include "association/AssociationDialog.h"
#include "association/ListBoxExCtrl.h"
#include "cddb/ServerProcess.h"
#include "e2e/AlbumRoad.h"
#include "lookup/ManualSearchDialog.h"
#include "lookup/SelectDiskDialog.h"
#include "naming/FormatEditorDialog.h"
#include "naming/KeywordEdit.h"
#include "processing/RunLock.h"
#include "settings/SettingsIni.h"
#include "support/LayoutCheck.h"
#include "support/TestSupport.h"
#include "support/WidgetTestApp.h"
#include "widgets/FolderPathBox.h"
#include "widgets/FolderTreeCtrl.h"
#include "widgets/IconButton.h"
#include "widgets/SortListCtrl.h"
#include "widgets/SplitterBar.h"
#include "widgets/StatusListCtrl.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::MisplacedControls;

// The window with the prompts that would wait for a user answered by the test.
class TestWindow : public MainDialog {
public:
    using MainDialog::MainDialog;

    void ChooseAction(int action) {
        ActionCombo()->setCurrentIndex(action);
        OnActionChanged(action);
    }
    std::vector<std::string> StatusTexts() const {
        std::vector<std::string> lines;
        for (int i = 0; i < StatusList()->count(); ++i) {
            lines.push_back(StatusList()->item(i)->text().toStdString());
        }
        return lines;
    }
    bool HasStatus(const std::string& text) const {
        const std::vector<std::string> lines = StatusTexts();
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }

    std::vector<QString> stopMessages;
    std::vector<QString> questions;
    bool goOn = false;
    int unfinishedAsked = 0;
    int settingsShown = 0;
    // What the user does in the template editor; nothing is Escape.
    std::function<void(FormatEditorDialog&)> editorScript;

protected:
    int RunFormatEditor(FormatEditorDialog& editor, const std::string& openTemplate) override {
        editor.Open(openTemplate);
        if (editorScript) {
            editorScript(editor);
        }
        return editor.result();
    }
    void ShowStopMessage(const QString& text) override { stopMessages.push_back(text); }
    bool ConfirmProcessing(const QString& text) override {
        questions.push_back(text);
        return goOn;
    }
    int AskUnfinishedRun(bool canFinish) override {
        ++unfinishedAsked;
        return canFinish ? kFinishRun : 0;
    }
    int RunSettingsDialog() override {
        ++settingsShown;
        return 0;
    }
    // The user types searchWords into the real search dialog and takes the
    // first album offered; without words, Escape.
    bool AskSearchWords(const std::string& proposal, std::string& words) override {
        if (!searchWords) {
            return false;
        }
        OnModal<ManualSearchDialog>([this](ManualSearchDialog& dialog) {
            dialog.WordsEdit()->setText(QString::fromStdString(*searchWords));
            dialog.OkButton()->click();
        });
        return MainDialog::AskSearchWords(proposal, words);
    }
    bool ChooseSearchResult(const std::vector<SearchResult>& results,
                            std::size_t& chosen) override {
        OnModal<SelectDiskDialog>([](SelectDiskDialog& dialog) {
            dialog.List()->setCurrentRow(0);
            dialog.OkButton()->click();
        });
        return MainDialog::ChooseSearchResult(results, chosen);
    }

    // The pairing the association dialog proposes, changed by associationScript, then OK.
    bool RunAssociation() override {
        OnModal<AssociationDialog>([this](AssociationDialog& dialog) {
            if (associationScript) {
                associationScript(dialog);
            }
            dialog.OkButton()->click();
        });
        return MainDialog::RunAssociation();
    }

public:
    std::optional<std::string> searchWords;
    std::function<void(AssociationDialog&)> associationScript;

private:
    template <typename Dialog>
    static void OnModal(std::function<void(Dialog&)> act) {
        QTimer::singleShot(0, [act] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                act(*dialog);
            } else if (QWidget* other = QApplication::activeModalWidget()) {
                other->close();  // never hang the run on a dialog nobody expected
            }
        });
    }
};

class MainDialogTest : public test::WidgetTest {
protected:
    static void SetUpTestSuite() {
        // Sorted by name: "a track" 4 s, "b track" 3 s, "c track" 2 s; encoded once.
        source_ = std::make_unique<test::TempDir>();
        const long lengths[] = {75 * 588 * 3, 75 * 588 * 4 + 100, 75 * 588 * 2 + 7};
        const char* names[] = {"b track.mp3", "a track.mp3", "c track.mp3"};
        for (int i = 0; i < 3; ++i) {
            test::MakeMp3(source_->path(), names[i], lengths[i], {"-b", "128", "--quiet"});
        }
    }
    static void TearDownTestSuite() { source_.reset(); }

    void SetUp() override {
        settings.configured = 1;
        settings.showSplash = 0;
        cwd_ = fs::current_path();
        album = work.File("album");
        fs::create_directories(album);
        for (const auto& entry : fs::directory_iterator(source_->path())) {
            fs::copy_file(entry.path(), fs::path(album) / entry.path().filename());
        }
        settings.windowWidth = 0;
        settings.windowHeight = 0;
        // Tests never reach the internet: MusicBrainz too is asked locally.
        settings.musicbrainzServer = "http://127.0.0.1:9";
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

    // "Song 1" to "Song 3"; the default offsets make them 5, 4 and 3 seconds long.
    void ServeAlbum(const std::vector<int>& offsets = {150, 400, 700}, int discLength = 12) {
        char id[16];
        std::snprintf(id, sizeof id, "%08x",
                      DiscIdCalculator().ComputeDiscId(window->Album().files));
        test::WriteRecord(records.path(), "rock", id,
                          test::MakeRecord(id, offsets, discLength, "Band / Record",
                                           {"Song 1", "Song 2", "Song 3"}));
    }

    void StartServer() {
        fs::create_directories(records.path() + "/rock");
        server = std::make_unique<test::ServerProcess>(records.path());
        ASSERT_GT(server->Port(), 0);
        settings.cddbServer = "127.0.0.1:" + std::to_string(server->Port());
        settings.musicbrainzServer = "http://" + settings.cddbServer;
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

TEST_F(MainDialogTest, StartsIdleWithTheSettingsApplied) {
    settings.configured = 0;
    settings.createPlaylist = 0;
    settings.fileColumns[0] = 0;      // Playtime
    settings.databaseColumns[5] = 0;  // Genre
    TestWindow& w = Open();
    const std::vector<std::string> status = w.StatusTexts();
    ASSERT_EQ(status.size(), 2u);
    EXPECT_EQ(status[0].rfind("Welcome to Corvane MP3 ! [v2.00 - Code by ", 0), 0u);
    EXPECT_EQ(status[1], "Ready.");
    for (QWidget* idle : std::initializer_list<QWidget*>{w.QueryButton(), w.ExecuteButton(),
                                                         w.ArtistEdit(), w.GenreCombo()}) {
        EXPECT_FALSE(idle->isEnabled()) << idle->metaObject()->className();
    }
    EXPECT_FALSE(w.CreatePlaylistCheck()->isChecked());
    EXPECT_TRUE(w.CreateDirectoryCheck()->isChecked());
    EXPECT_TRUE(w.FileList()->isColumnHidden(1));
    EXPECT_FALSE(w.FileList()->isColumnHidden(2));
    EXPECT_TRUE(w.DatabaseList()->isColumnHidden(6));
    // The start-up timer opens the settings while they are not yet configured.
    EXPECT_TRUE(w.SplashTimer().isActive());
    w.OnTimer();
    EXPECT_EQ(w.settingsShown, 1);
    EXPECT_FALSE(w.SplashTimer().isActive());
}

TEST_F(MainDialogTest, MissingComponentsEndTheStart) {
    test::TempDir empty;
    Open(false, empty.path());
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
}

TEST_F(MainDialogTest, RepeatedStatusTextsAreDroppedAndLinesKeptShort) {
    TestWindow& w = Open();
    const int before = w.StatusList()->count();
    for (const char* text : {"one", "one", "two", "one"}) {
        w.AddStatus(text);
    }
    EXPECT_EQ(w.StatusList()->count(), before + 3);
    EXPECT_EQ(w.StatusList()->currentRow(), w.StatusList()->count() - 1);
    w.AddStatus("Read from CDDB failed. Error: 1, Response:x\n");
    EXPECT_EQ(w.StatusTexts().back(), "Read from CDDB failed. Error: 1, Response:x");
    // A hostile server's long answer does not become a megabyte-wide line.
    w.AddStatus("Read from CDDB failed. Error: 10043, Response:" + std::string(100000, 'x'));
    EXPECT_LE(w.StatusTexts().back().size(), 1003u);
}

// A folder typed into the path box (or dropped) opens; it joins the recent folders in the
// settings file at once; several files selected are tagged under "ID3 Tag Files"; Undo has
// nothing to do where no run was made.
TEST_F(MainDialogTest, FoldersOpenFromThePathBoxAndAreRemembered) {
    const std::string hidden = work.File(".hidden album");
    fs::create_directories(hidden);
    fs::copy_file(fs::path(album) / "a track.mp3", fs::path(hidden) / "x.mp3");
    TestWindow& w = Open();
    emit w.Form().pathBox->folderChosen(hidden);
    ASSERT_EQ(w.FileList()->RowCount(), 1);
    EXPECT_EQ(w.Album().folder.rfind(hidden, 0), 0u);
    w.OpenFolder(album + "/");
    EXPECT_EQ(w.FileList()->RowCount(), 3);
    w.OpenFolder(work.File("nowhere"));
    EXPECT_EQ(w.StatusTexts().back(), "There is no folder " + work.File("nowhere") + ".");
    SettingsValues stored;
    ASSERT_TRUE(LoadSettingsFile(work.File("Corvane Mp3.ini"), stored));
    EXPECT_EQ(stored.recentFolders, (std::vector<std::string>{album, hidden}));
    EXPECT_EQ(w.Form().pathBox->count(), 2);

    w.ChooseAction(MainDialog::kActionTag);
    w.FileList()->selectAll();
    EXPECT_EQ(w.ExecuteButton()->text(), "&ID3 Tag Files");
    w.ChooseAction(MainDialog::kActionUndo);
    EXPECT_FALSE(w.ExecuteButton()->isEnabled());
}

// While another run holds the folder the window offers nothing, and takes it up once free.
TEST_F(MainDialogTest, AFolderAnotherRunHoldsWaits) {
    RunLock other;
    ASSERT_EQ(other.LockRunOf(album), 0);
    TestWindow& w = Open();
    w.OpenFolder(album);
    EXPECT_TRUE(w.HasStatus(kFolderLockedText));
    EXPECT_FALSE(w.QueryButton()->isEnabled());
    other.Release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.QueryButton()->isEnabled(); }, 3000));
}

TEST_F(MainDialogTest, FoldersAreScannedAndSayWhatTheyHold) {
    const std::string empty = work.File("empty");
    fs::create_directories(empty);
    settings.lastFolder = album;
    TestWindow& w = Open();
    EXPECT_EQ(w.StatusTexts(),
              (std::vector<std::string>{w.StatusTexts()[0],
                                        "Press \"Query\" button to query CDDB !", "Ready."}));
    ASSERT_EQ(w.FileList()->RowCount(), 3);
    EXPECT_EQ(w.FileList()->ItemText(0, 0), "a track.mp3");
    EXPECT_TRUE(w.QueryButton()->isEnabled());
    // Before any album is found "Rename Files" does nothing.
    w.OnExecute();
    EXPECT_EQ(w.StatusTexts().back(), "Ready.");
    EXPECT_TRUE(fs::exists(fs::path(album) / "a track.mp3"));

    SelectFolder(empty);
    EXPECT_EQ(w.FileList()->RowCount(), 0);
    EXPECT_EQ(w.StatusTexts().back(), "No MP3 Files found in this directory.");
    // A folder that cannot be entered says why and leaves nothing to query or rename.
    SelectFolder(album);
    EXPECT_TRUE(w.QueryButton()->isEnabled());
    EXPECT_EQ(w.ScanFolder(work.File("missing")), -1);
    EXPECT_EQ(w.FileList()->RowCount(), 0);
    EXPECT_EQ(w.StatusTexts().back(),
              "Cannot open the folder " + work.File("missing") + ": No such file or directory.");
    EXPECT_FALSE(w.QueryButton()->isEnabled());
    EXPECT_FALSE(w.ExecuteButton()->isEnabled());
}

// The tag fields open for "ID3 Tag Files" and a selected file; what is typed reaches the
// file, also one whose name is not UTF-8.
TEST_F(MainDialogTest, TagFilesWritesTheTypedFields) {
    const std::string latin1 = std::string("caf\xe9.mp3");
    fs::rename(fs::path(album) / "a track.mp3", fs::path(album) / latin1);
    TestWindow& w = Open();
    SelectFolder(album);
    const int row = 2;  // names sort byte-wise: "caf\xe9" after "c track"
    ASSERT_EQ(w.Album().files[static_cast<std::size_t>(w.FileRecordOfRow(row))].fileName, latin1);
    w.FileList()->OnColumnClick(1);
    w.FileList()->OnColumnClick(1);  // Playtime, longest first: the 4 s file on top
    w.FileList()->setCurrentItem(w.FileList()->topLevelItem(0));
    EXPECT_FALSE(w.ArtistEdit()->isEnabled());  // "Rename Files": shown, not editable
    w.ChooseAction(MainDialog::kActionTag);
    EXPECT_EQ(w.ExecuteButton()->text(), "&ID3 Tag File");
    EXPECT_FALSE(w.FormatCombo()->isEnabled());
    EXPECT_TRUE(w.ArtistEdit()->isEnabled());
    EXPECT_TRUE(w.ExecuteButton()->isEnabled());
    w.ArtistEdit()->setText("Somebody");
    w.YearEdit()->setText("1999");
    w.GenreCombo()->setEditText("Made Up Genre");
    w.OnExecute();
    EXPECT_TRUE(w.StatusTexts().back().starts_with("ID3 information saved in \"caf"));
    // The saved file stays selected, though the list is back in name order.
    EXPECT_EQ(w.FileList()->currentItem(), w.FileList()->topLevelItem(row));
    w.ScanFolder(album);  // read back from the file itself
    EXPECT_EQ(w.FileList()->ItemText(row, 5), "Somebody");
    EXPECT_EQ(w.FileList()->ItemText(row, 6), "1999");
    EXPECT_EQ(w.FileList()->ItemText(row, 7), "Made Up Genre");
    // A genre outside the list is shown as it is, not dropped.
    w.FileList()->setCurrentItem(w.FileList()->topLevelItem(row));
    EXPECT_EQ(w.GenreCombo()->currentText(), "Made Up Genre");

    // Two files at once: the field typed goes into both, the ones left empty keep each file's.
    w.FileList()->topLevelItem(0)->setSelected(true);
    EXPECT_EQ(w.ArtistEdit()->text(), "");  // the two files differ
    w.AlbumEdit()->setText("Shared");
    w.OnExecute();
    EXPECT_EQ(w.StatusTexts().back(), "ID3 information saved in 2 of 2 files.");
    w.ScanFolder(album);
    EXPECT_EQ(w.FileList()->ItemText(row, 4), "Shared");
    EXPECT_EQ(w.FileList()->ItemText(row, 5), "Somebody");
    EXPECT_EQ(w.FileList()->ItemText(0, 4), "Shared");
    w.ChooseAction(MainDialog::kActionRename);
    EXPECT_EQ(w.ExecuteButton()->text(), "&Rename Files");
    EXPECT_FALSE(w.ArtistEdit()->isEnabled());
}

// Sorting either view keeps each file facing its track, and "Rename Files" gives each file
// its own track's name and tag however the views were sorted.
TEST_F(MainDialogTest, SortedViewsKeepThePairs) {
    StartServer();
    settings.createDirectory = 0;
    TestWindow& w = Open();
    SelectFolder(album);
    ServeAlbum();
    w.QueryCommand();
    ASSERT_EQ(w.DatabaseList()->RowCount(), 3);
    // Texts of a row, as UTF-8 so that a failure prints them.
    auto text = [](SortListCtrl* view, int row, int column) {
        return view->ItemText(row, column).toStdString();
    };
    const std::map<std::string, std::string> titleOfPlaytime = {
        {"00:00:04", "Song 1"}, {"00:00:03", "Song 2"}, {"00:00:02", "Song 3"}};
    auto expectFacing = [&](const char* step) {
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(text(w.DatabaseList(), row, 2),
                      titleOfPlaytime.at(text(w.FileList(), row, 1)))
                << step << ", row " << row;
        }
    };
    w.DatabaseList()->OnColumnClick(2);  // Title: already ascending
    w.DatabaseList()->OnColumnClick(2);  // descending
    expectFacing("tracks sorted");
    w.CaseCombo()->setCurrentText("Upper Case");
    w.OnFormatChanged();
    EXPECT_TRUE(w.DatabaseList()->ItemText(0, 0).contains("SONG 3"));
    expectFacing("tracks renamed");
    w.FileList()->OnColumnClick(0);
    w.FileList()->OnColumnClick(1);  // Playtime: c, b, a
    ASSERT_EQ(text(w.FileList(), 0, 0), "c track.mp3");
    expectFacing("files sorted");
    w.FileList()->setCurrentItem(w.FileList()->topLevelItem(1));
    EXPECT_EQ(w.DatabaseList()->selectedItems(),
              QList<QTreeWidgetItem*>{w.DatabaseList()->topLevelItem(1)});

    w.OnExecute();
    EXPECT_TRUE(w.questions.empty());
    ASSERT_EQ(w.FileList()->RowCount(), 3);  // the folder scanned again
    for (int row = 0; row < 3; ++row) {
        const std::string title = titleOfPlaytime.at(text(w.FileList(), row, 1));
        EXPECT_EQ(text(w.FileList(), row, 3), title) << row;
        EXPECT_NE(text(w.FileList(), row, 0).find("SONG " + title.substr(5)), std::string::npos)
            << text(w.FileList(), row, 0);
    }
    // A run that looks killed is offered to be finished when its folder is scanned.
    const std::string journal = album + "/.corvane-run/journal";
    std::string journalText;
    ASSERT_TRUE(test::ReadFileBytes(journal, journalText));
    ASSERT_TRUE(test::WriteFileBytes(journal, journalText.substr(0, journalText.rfind("end\n"))));
    w.OnFolderSelected();
    EXPECT_EQ(w.unfinishedAsked, 1);
    EXPECT_EQ(w.StatusTexts().back(), "The last run is finished.");
    // "Undo Last Rename" puts the old names back.
    w.ChooseAction(MainDialog::kActionUndo);
    EXPECT_EQ(w.ExecuteButton()->text(), "&Undo Last Rename");
    ASSERT_TRUE(w.ExecuteButton()->isEnabled());
    w.OnExecute();
    EXPECT_EQ(w.StatusTexts().back(), "The last run is undone.");
    EXPECT_TRUE(fs::exists(fs::path(album) / "a track.mp3"));
    EXPECT_FALSE(w.ExecuteButton()->isEnabled());
}

TEST_F(MainDialogTest, PairsOfDifferentLengthsAreMarkedAndAskedAbout) {
    StartServer();
    settings.createDirectory = 0;
    TestWindow& w = Open();
    SelectFolder(album);
    ServeAlbum({150, 400, 1200}, 20);  // track 2 lasts 11 s, its file 3 s
    w.QueryCommand();
    ASSERT_EQ(w.DatabaseList()->RowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        const bool marked =
            w.DatabaseList()->topLevelItem(row)->background(2).style() != Qt::NoBrush;
        EXPECT_EQ(marked, row == 1) << row;
    }
    EXPECT_EQ(w.StatusTexts().back(),
              "1 file differs in length from its track by more than 5 seconds: check the "
              "marked rows.");
    w.OnExecute();
    ASSERT_EQ(w.questions.size(), 1u);
    EXPECT_TRUE(w.questions[0].startsWith("1 file differs in length"))
        << w.questions[0].toStdString();
    EXPECT_EQ(w.StatusTexts().back(), "Operation cancelled.");
    EXPECT_TRUE(fs::exists(fs::path(album) / "b track.mp3"));
    w.goOn = true;
    w.OnExecute();
    EXPECT_FALSE(fs::exists(fs::path(album) / "b track.mp3"));
}

TEST_F(MainDialogTest, ClosingWritesTheSettingsBack) {
    settings.lastFolder = "-";
    TestWindow& w = Open();  // no size stored before
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
}

TEST_F(MainDialogTest, AutoQueryAtStartIsUndoneByTheSecondScan) {
    StartServer();
    settings.autoQuery = 1;
    settings.lastFolder = album;
    Open();  // a first window finds the disc id for the record
    ServeAlbum();
    window.reset();
    TestWindow& w = Open();
    EXPECT_FALSE(w.HasStatus("Press \"Query\" button to query CDDB !"));
    EXPECT_TRUE(
        w.HasStatus("Album found in CDDB. Press \"Rename Files\" button to process the files"));
    // The second scan emptied the album again; Execute then does nothing.
    EXPECT_EQ(w.DatabaseList()->RowCount(), 0);
    w.OnExecute();
    EXPECT_EQ(w.StatusTexts().back(), "Ready.");
}

// An album the server files under another disc id is found by the words the
// user types, through the search command and through the web search page.
TEST_F(MainDialogTest, KeywordSearchFindsWhatTheDiscIdDoesNot) {
    StartServer();
    TestWindow& w = Open();
    SelectFolder(album);
    test::WriteRecord(records.path(), "rock", "14001003",
                      test::MakeRecord("14001003", {150, 400, 700}, 12, "Band / Record",
                                       {"Song 1", "Song 2", "Song 3"}));
    w.searchWords = "band record";
    for (const std::string& webHost : {std::string(), settings.cddbServer}) {
        SCOPED_TRACE(webHost);
        w.Workflow().Search().SetWebHost(webHost);
        w.QueryButton()->click();
        EXPECT_TRUE(w.HasStatus("Entering Manual CDDB Scan process..."));
        EXPECT_EQ(w.StatusTexts().back(),
                  "Album found in CDDB. Press \"Rename Files\" button to process the files");
        ASSERT_EQ(w.DatabaseList()->RowCount(), 3);
        EXPECT_TRUE(w.ExecuteButton()->isEnabled());
    }
    // A title moved down in the association dialog goes to the next file.
    const QString firstName = w.DatabaseList()->ItemText(0, 0);
    w.associationScript = [](AssociationDialog& dialog) { dialog.TitleListBox()->MoveDown(0); };
    w.QueryButton()->click();
    ASSERT_EQ(w.DatabaseList()->ItemText(1, 0), firstName);
    std::string secondAudio;
    ASSERT_TRUE(
        test::ReadFileBytes(album + "/" + w.FileList()->ItemText(1, 0).toStdString(), secondAudio));
    w.goOn = true;
    w.OnExecute();
    std::string renamed;
    ASSERT_TRUE(test::ReadFileBytes(album + "/Band - Record/" + firstName.toStdString(), renamed));
    EXPECT_NE(renamed.find(secondAudio.substr(secondAudio.size() / 2)), std::string::npos);
}

TEST_F(MainDialogTest, TemplateWrittenInTheEditorNamesTheTracksAndOutlivesARestart) {
    StartServer();
    TestWindow& w = Open();
    SelectFolder(album);
    ServeAlbum();
    w.QueryCommand();
    ASSERT_EQ(w.DatabaseList()->RowCount(), 3);
    w.CaseCombo()->setCurrentText("Upper Case");
    w.OnFormatChanged();
    // " More..." and Escape leave the template in use selected.
    const QString format = w.FormatCombo()->currentText();
    w.FormatCombo()->setCurrentText(" More...");
    w.OnFormatChanged();
    EXPECT_EQ(w.FormatCombo()->currentText(), format);

    w.editorScript = [](FormatEditorDialog& editor) {
        editor.Editor()->SetText("Artist - Track - Title");
        editor.OnSave();
        editor.OnClose();
    };
    w.FormatCombo()->setCurrentText(" More...");
    w.OnFormatChanged();
    EXPECT_EQ(w.FormatCombo()->currentText(), "Artist - Track# - Title");
    EXPECT_EQ(w.DatabaseList()->ItemText(0, 0), "BAND - 01 - SONG 1.mp3");
    w.done(0);
    ASSERT_TRUE(LoadSettingsFile(work.File("Corvane Mp3.ini"), settings));
    EXPECT_EQ(settings.nameFormat, "%1 - %0 - %2");
    EXPECT_EQ(Open().FormatCombo()->currentText(), "Artist - Track# - Title");
}

// Nothing overlaps at the first size, larger, after a splitter move or at the minimum size;
// a moved splitter bar keeps its place; a hidden status list gives its room to the views.
TEST_F(MainDialogTest, LayoutHoldsAndMovedSplitterBarsStay) {
    settings.lastFolder = album;
    TestWindow& w = Open();
    // A window smaller than its page scrolls it; here the page follows the window.
    w.resize(w.Form().MinimumPageSize() + QSize(20, 20));
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
    // The tree keeps its new width, the lists take the change.
    const int listWidth = w.FileList()->width();
    w.resize(w.width() + 100, w.height() + 40);
    EXPECT_EQ(w.FolderTree()->width(), treeWidth + 60);
    EXPECT_EQ(w.FileList()->width(), listWidth + 100);
    EXPECT_EQ(MisplacedControls(&w), std::vector<std::string>());
    // The tree cannot be made narrower than its minimum (with its one-pixel gap to the bar).
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 100));
    QTest::mouseMove(bar, QPoint(-1000, 100));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(-1000, 100));
    EXPECT_GE(w.FolderTree()->width() + 1, MainDialog::kMinPaneSize);
    EXPECT_LT(w.FolderTree()->width(), treeWidth);
    // A 1024-pixel screen, or half a 1920-pixel one, holds the whole page.
    EXPECT_LE(w.Form().MinimumPageSize().width(), 1000);
    EXPECT_LE(w.Form().MinimumPageSize().height(), 640);
    w.resize(w.minimumSize());
    EXPECT_EQ(MisplacedControls(&w), std::vector<std::string>());

    const int shownBottom = Open().DatabaseList()->geometry().bottom();
    settings.showStatusList = 0;
    TestWindow& hidden = Open();
    EXPECT_TRUE(hidden.StatusList()->isHidden());
    EXPECT_GT(hidden.DatabaseList()->geometry().bottom(), shownBottom + 50);
    EXPECT_EQ(hidden.FolderTree()->geometry().bottom(), hidden.DatabaseList()->geometry().bottom());
}

// The road of one album through the window: the folder picked in the tree, "Query" against
// the local CDDB server, "Rename Files"; the result read back with TagLib and byte by byte.
TEST_F(MainDialogTest, RoadOfOneAlbum) {
    if (const std::string missing = test::AlbumRoad::MissingTool(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    test::AlbumRoad road;
    ASSERT_TRUE(road.MakeStandardAlbum());
    const std::map<std::string, std::string> before = test::Snapshot(road.Album());
    road.AddRecord("rock", "Los Niños / Días: Vol 1", {"Café", "Why?", "Last \"One\""},
                   {{1, "live take"}});
    ASSERT_TRUE(road.StartServer());
    SettingsValues values = road.ServerSettings();
    values.moveDependencies = 0;
    ASSERT_TRUE(road.WriteSettings(values));
    fs::current_path(road.Work());
    loader = std::make_unique<ComponentLoader>(test::BinDir());
    window = std::make_unique<TestWindow>(*loader);
    ASSERT_TRUE(window->Initialize()) << window->LoadError();

    ASSERT_TRUE(window->FolderTree()->SelectPath(road.Album()));
    ASSERT_EQ(window->FileList()->RowCount(), 3);
    window->QueryButton()->click();
    EXPECT_TRUE(window->HasStatus("DISK ID = " + road.DiscId()));
    ASSERT_EQ(window->DatabaseList()->RowCount(), 3);
    // The processing dialog runs on its timer and closes itself; the new album directory is
    // then selected, its files listed, with nothing more to rename.
    window->ExecuteButton()->click();
    const std::string dirName = "Los Niños - Días_ Vol 1";
    const std::string dir = road.Album() + "/" + dirName;
    EXPECT_EQ(window->FolderTree()->GetItemPath(window->FolderTree()->currentItem()), dir);
    EXPECT_EQ(window->FileList()->RowCount(), 3);
    EXPECT_FALSE(window->ExecuteButton()->isEnabled());
    const std::vector<std::string> names{"01 - Café.mp3", "02 - Why_.mp3", "03 - Last 'One'.mp3"};
    test::ExpectStandardAlbumTracks(dir, names, before);
    std::string playlist;
    ASSERT_TRUE(test::ReadFileBytes(dir + "/" + dirName + ".m3u", playlist));
    EXPECT_EQ(playlist,
              "#EXTM3U\r\n"
              "#EXTINF:5,Café\r\n01 - Café.mp3\r\n"
              "#EXTINF:3,Why?\r\n02 - Why_.mp3\r\n"
              "#EXTINF:4,Last \"One\"\r\n03 - Last 'One'.mp3\r\n");
    window.reset();  // before the road's folders go
}

}  // namespace
}  // namespace corvane
