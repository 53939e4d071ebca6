#pragma once

#include <QTimer>
#include <memory>
#include <string>

#include "album/AlbumFolder.h"
#include "app/MainForm.h"
#include "app/RunCommands.h"
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
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;
class QListWidget;

namespace corvane {

class AlbumLists;
class AssociationDialog;
class FolderNavigator;
class TagFieldEditor;
class CFolderTreeCtrl;
class FormatEditorDialog;
class IconButton;
class SortListCtrl;
class SplashWindow;
class StatusListCtrl;

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
    static constexpr int kMinPaneSize = MainForm::kMinPaneSize;
    static constexpr int kActionRename = MainForm::kActionRename;
    static constexpr int kActionTag = MainForm::kActionTag;
    static constexpr int kActionUndo = MainForm::kActionUndo;
    // Answers to the question about a run that was not finished.
    static constexpr int kFinishRun = RunCommands::kFinishRun;
    static constexpr int kUndoRun = RunCommands::kUndoRun;

    // Loads the settings component from the loader's folder; without it the
    // program cannot run (see HasSettings). Shows the splash when the
    // settings ask for it.
    explicit MainDialog(ComponentLoader& loader, QWidget* parent = nullptr);
    ~MainDialog() override;

    bool HasSettings() const { return settings_ != nullptr; }
    // Why a component could not be loaded.
    const std::string& LoadError() const { return loader_.Error(); }

    // The folder to open at start instead of the remembered one.
    void SetStartFolder(const std::string& folder) { startFolder_ = folder; }
    // Opens a folder the user named (typed, picked from the recent list or
    // dropped): the tree selects it when it shows it, and it is scanned.
    void OpenFolder(const std::string& path);

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
    void OnRelayout() { form_.ReAnchorPanes(); }

    // For tests and the screenshot tool.
    AlbumFolder& Album() { return album_; }
    SettingsObject* Settings() const { return settings_.get(); }
    CddbAgent& Agent() { return agent_; }
    LookupWorkflow& Workflow() { return workflow_; }
    const MainForm& Form() const { return form_; }
    CFolderTreeCtrl* FolderTree() const { return form_.tree; }
    SortListCtrl* FileList() const { return form_.fileList; }
    SortListCtrl* DatabaseList() const { return form_.databaseList; }
    StatusListCtrl* StatusList() const { return form_.statusList; }
    IconButton* QueryButton() const { return form_.queryButton; }
    IconButton* ExecuteButton() const { return form_.executeButton; }
    QComboBox* ActionCombo() const { return form_.actionCombo; }
    QComboBox* FormatCombo() const { return form_.formatCombo; }
    QComboBox* CaseCombo() const { return form_.caseCombo; }
    QComboBox* ServerCombo() const { return form_.serverCombo; }
    QComboBox* GenreCombo() const { return form_.genreCombo; }
    QLineEdit* ArtistEdit() const { return form_.artistEdit; }
    QLineEdit* AlbumEdit() const { return form_.albumEdit; }
    QLineEdit* YearEdit() const { return form_.yearEdit; }
    QLineEdit* CommentEdit() const { return form_.commentEdit; }
    QCheckBox* CreateDirectoryCheck() const { return form_.createDirectory; }
    QCheckBox* CreatePlaylistCheck() const { return form_.createPlaylist; }
    SplashWindow* Splash() const { return splash_.get(); }
    const QTimer& SplashTimer() const { return timer_; }
    bool IsListSyncMuted() const;
    // The record index a row of the file list view carries, or -1.
    int FileRecordOfRow(int row) const;

    void done(int result) override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Seams for the tests: the prompts that would wait for a user.
    virtual void ShowStopMessage(const QString& text);
    // Asks whether to go on; true for yes.
    virtual bool ConfirmProcessing(const QString& text);
    virtual int RunSettingsDialog();
    virtual int RunFormatEditor(FormatEditorDialog& editor, const std::string& openTemplate);
    // Finish (kFinishRun), undo (kUndoRun) or leave (0) a run that a
    // folder's journal tells was not finished.
    virtual int AskUnfinishedRun(bool canFinish);

private:
    void ConnectControls();
    void SetUpCombos();
    void SelectRememberedFolder();
    // Scans a folder and offers what its files allow: finish or undo a run, a query.
    void ShowFolder(const std::string& path);
    // Scans the selected folder again, or the album directory a run made.
    void RescanAfterProcessing(const std::string& albumDirectory = {});
    // Whether the execute button would do anything for the current action.
    bool ExecuteHasWork() const;
    // The execute button names the action, and "Files" when several are tagged.
    void ShowExecuteCaption();
    void UndoLastRun();
    void SaveOnClose();
    void StoreSettings();

    ComponentLoader& loader_;
    SettingsPtr settings_;
    Mp3InfoPtr mp3Info_;
    std::unique_ptr<SplashWindow> splash_;

    AlbumFolder album_;
    CddbAgent agent_;
    NameFormatList nameFormats_;
    QTimer timer_;
    std::string formatName_;
    std::string startFolder_;  // the Name Format entry in use
    bool initialized_ = false;
    bool closed_ = false;
    int busyDepth_ = 0;

    MainForm form_;
    std::unique_ptr<AlbumLists> lists_;
    std::unique_ptr<TagFieldEditor> tagFields_;
    std::unique_ptr<RunCommands> runs_;
    std::unique_ptr<FolderNavigator> folders_;
    LookupWorkflow workflow_;
    // Made at the first keyword search, kept for the window's life.
    std::unique_ptr<AssociationDialog> association_;
};

// "Welcome to Corvane MP3 ! [v2.00 - Code by ...]".
std::string WelcomeText();

}  // namespace corvane
