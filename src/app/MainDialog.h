#pragma once

#include <QTimer>
#include <memory>
#include <string>

#include "album/AlbumFolder.h"
#include "app/QtComboBox.h"
#include "cddb/CddbAgent.h"
#include "cddb/CddbPrompts.h"
#include "components/ComponentLoader.h"
#include "lookup/LookupView.h"
#include "lookup/LookupWorkflow.h"
#include "naming/NameFormatList.h"
#include "processing/FilePairing.h"
#include "processing/TagSaver.h"
#include "widgets/ResizableDialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace corvane {

class AssociationDialog;
class CFolderTreeCtrl;
class FormatEditorDialog;
class HorizontalSplitterBar;
class IconButton;
class ProcessingDialog;
class SortListCtrl;
class SplashWindow;
class VerticalSplitterBar;

// The one window of the program: the folder tree, the album's files beside
// the tracks of the album found for them, the options, the tag fields and the
// status list. It owns the album, the two components and the later dialogs,
// and routes every user action to the part that does the work.
class MainDialog : public ResizableDialog,
                   public LookupView,
                   public DiscChooser,
                   public ErrorNotifier {
    Q_OBJECT

public:
    static constexpr int kSplashTimerMs = 1500;
    static constexpr int kMinPaneSize = 150;
    static constexpr int kActionRename = 0;
    static constexpr int kActionTag = 1;
    static constexpr int kActionUndo = 2;
    // Answers to the question about a run that was not finished.
    static constexpr int kFinishRun = 1;
    static constexpr int kUndoRun = 2;

    // Loads the settings component from the loader's folder; without it the
    // program cannot run (see HasSettings). Shows the splash when the
    // settings ask for it.
    explicit MainDialog(ComponentLoader& loader, QWidget* parent = nullptr);
    ~MainDialog() override;

    bool HasSettings() const { return settings_ != nullptr; }
    // Why a component could not be loaded.
    const std::string& LoadError() const { return loader_.Error(); }

    // The window's set-up: the MP3 component, the tree, the layout, the
    // remembered size and folder. False when the MP3 component is missing;
    // the window is then closed.
    bool Initialize();

    // LookupView
    void AddStatus(const std::string& text) override;
    void EnableQuery(bool enable) override;
    void EnableExecute(bool enable) override;
    std::string ExecuteCaption() const override;
    void SetBusy(bool busy) override;
    TrackCountAnswer AskTrackCount(bool notEnough, bool allowNewAlbum) override;
    void ShowDatabaseList() override { FillDatabaseList(); }
    void ClearDatabaseList() override;
    // The association dialog; on OK the two views carry the pairing row against row.
    bool RunAssociation() override;
    AssociationDialog* AssociationBox() const { return association_.get(); }

    // DiscChooser: the Select Disk dialog.
    bool ChooseDisc(const std::vector<DiscMatch>& matches, std::size_t& chosen) override;
    // The Select Disk dialog with MusicBrainz releases.
    bool ChooseRelease(const std::vector<std::string>& lines, std::size_t& chosen) override;
    // The keyword search's dialogs: the words, then the albums found.
    bool AskSearchWords(const std::string& proposal, std::string& words) override;
    bool ChooseSearchResult(const std::vector<SearchResult>& results, std::size_t& chosen) override;
    // ErrorNotifier: a message box.
    void ShowError(const std::string& text) override;

    // The folder scan with the list views: -1 when the folder cannot be
    // entered, else the number of MP3 files.
    int ScanFolder(const std::string& path);
    void FillFileList();
    void FillDatabaseList();
    void ApplyColumnVisibility();

    // Handlers.
    void OnFolderSelected();
    void OnFileRowChanged();
    void OnDatabaseRowChanged();
    void OnActionChanged(int index);
    void OnExecute();
    void QueryCommand();
    void OnServerChanged();
    void OnFormatChanged();
    void OnSettings();
    void OnAbout();
    void OnTimer();
    void OnRelayout();

    // For tests and the screenshot tool.
    AlbumFolder& Album() { return album_; }
    SettingsObject* Settings() const { return settings_.get(); }
    CddbAgent& Agent() { return agent_; }
    LookupWorkflow& Workflow() { return workflow_; }
    CFolderTreeCtrl* FolderTree() const { return tree_; }
    SortListCtrl* FileList() const { return fileList_; }
    SortListCtrl* DatabaseList() const { return databaseList_; }
    QListWidget* StatusList() const { return statusList_; }
    IconButton* QueryButton() const { return queryButton_; }
    IconButton* ExecuteButton() const { return executeButton_; }
    QComboBox* ActionCombo() const { return actionCombo_; }
    QComboBox* FormatCombo() const { return formatCombo_; }
    QComboBox* CaseCombo() const { return caseCombo_; }
    QComboBox* ServerCombo() const { return serverCombo_; }
    QComboBox* GenreCombo() const { return genreCombo_; }
    QLineEdit* ArtistEdit() const { return artistEdit_; }
    QLineEdit* AlbumEdit() const { return albumEdit_; }
    QLineEdit* YearEdit() const { return yearEdit_; }
    QLineEdit* CommentEdit() const { return commentEdit_; }
    QCheckBox* CreateDirectoryCheck() const { return createDirectory_; }
    QCheckBox* CreatePlaylistCheck() const { return createPlaylist_; }
    SplashWindow* Splash() const { return splash_.get(); }
    const QTimer& SplashTimer() const { return timer_; }
    bool IsTreeMuted() const { return treeMuted_; }
    bool IsListSyncMuted() const { return listSyncMuted_; }
    // The record index a row of the file list view carries, or -1.
    int FileRecordOfRow(int row) const;

    void done(int result) override;

protected:
    // Seams for the tests: the prompts that would wait for a user.
    virtual void ShowStopMessage(const QString& text);
    // Asks whether to go on; true for yes.
    virtual bool ConfirmProcessing(const QString& text);
    virtual int RunSettingsDialog();
    virtual int RunFormatEditor(FormatEditorDialog& editor, const std::string& openTemplate);
    // The run; returns the album directory it made, if any.
    std::string RunProcessing();
    // Finish (kFinishRun), undo (kUndoRun) or leave (0) a run that a
    // folder's journal tells was not finished.
    virtual int AskUnfinishedRun(bool canFinish);

private:
    void BuildControls();
    QWidget* BuildOptionsPanel();
    void SetUpLayout();
    void SetUpLists();
    void SetUpCombos();
    void RestoreWindow();
    void PlaceOnScreen();
    void SelectRememberedFolder();
    void EnableTagFields(bool enable);
    void ClearTagFields();
    void ShowTagFields(const TrackInfo& record);
    int SelectedFileRow() const;
    void SaveTag();
    // The record each file row carries, and the track record beside each.
    void ViewRows(std::vector<int>& fileRows, std::vector<int>& trackRows) const;
    // Each file row with its partner, as the processing would take them.
    std::vector<FileJob> CurrentPairs() const;
    // The other view takes the leader's order, so that each file faces its track.
    void LineUpRows(SortListCtrl* leader, SortListCtrl* follower);
    void MarkLengthMismatches();
    std::size_t CountLengthMismatches() const;
    // Scans the selected folder again, or the album directory a run made.
    void RescanAfterProcessing(const std::string& albumDirectory = {});
    // Whether the execute button would do anything for the current action.
    bool ExecuteHasWork() const;
    // The file records of the selected rows, in record order.
    std::vector<int> SelectedFileRecords() const;
    TagFields TypedTagFields() const;
    void SaveTagOfSeveralFiles(const std::vector<int>& records);
    // True when the run of the folder's journal was finished or undone.
    bool OfferUnfinishedRun(const std::string& folder);
    void UndoLastRun();
    void SaveOnClose();

    ComponentLoader& loader_;
    SettingsPtr settings_;
    Mp3InfoPtr mp3Info_;
    std::unique_ptr<SplashWindow> splash_;

    AlbumFolder album_;
    CddbAgent agent_;
    NameFormatList nameFormats_;
    QTimer timer_;
    std::string lastStatus_;
    std::string formatName_;  // the Name Format entry in use
    bool treeMuted_ = false;
    bool listSyncMuted_ = false;
    bool initialized_ = false;
    bool closed_ = false;
    int busyDepth_ = 0;

    // Controls.
    QWidget* optionsPanel_ = nullptr;
    QComboBox* actionCombo_ = nullptr;
    QComboBox* formatCombo_ = nullptr;
    QComboBox* caseCombo_ = nullptr;
    IconButton* executeButton_ = nullptr;
    IconButton* queryButton_ = nullptr;
    QLineEdit* artistEdit_ = nullptr;
    QLineEdit* albumEdit_ = nullptr;
    QLineEdit* yearEdit_ = nullptr;
    QComboBox* genreCombo_ = nullptr;
    QLineEdit* commentEdit_ = nullptr;
    QCheckBox* createDirectory_ = nullptr;
    QCheckBox* createPlaylist_ = nullptr;
    QComboBox* serverCombo_ = nullptr;
    IconButton* settingsButton_ = nullptr;
    IconButton* aboutButton_ = nullptr;
    CFolderTreeCtrl* tree_ = nullptr;
    SortListCtrl* fileList_ = nullptr;
    SortListCtrl* databaseList_ = nullptr;
    QListWidget* statusList_ = nullptr;
    QWidget* verticalPlaceholder_ = nullptr;
    QWidget* horizontalPlaceholder_ = nullptr;
    VerticalSplitterBar* verticalBar_ = nullptr;
    HorizontalSplitterBar* horizontalBar_ = nullptr;

    QtComboBox formatBox_{nullptr};
    QtComboBox caseBox_{nullptr};
    QtComboBox serverBox_{nullptr};
    QtComboBox genreBox_{nullptr};
    LookupWorkflow workflow_;
    std::unique_ptr<ProcessingDialog> processing_;
    // Made at the first keyword search, kept for the window's life.
    std::unique_ptr<AssociationDialog> association_;
    // The views were filled by the association dialog: row k of one pairs with row k of the
    // other, whatever records they carry. A refill of either view ends it.
    bool rowPairing_ = false;
};

// "Welcome to Corvane MP3 ! [v2.00 - Code by ...]".
std::string WelcomeText();

}  // namespace corvane
