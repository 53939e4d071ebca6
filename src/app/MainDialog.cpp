#include "app/MainDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMessageBox>
#include <cerrno>

#include "app/AlbumLists.h"
#include "app/FolderNavigator.h"
#include "app/LibraryEntry.h"
#include "app/LookupPrompts.h"
#include "app/SplashWindow.h"
#include "app/TagFieldEditor.h"
#include "association/AssociationDialog.h"
#include "lookup/SearchWords.h"
#include "lookup/ServerList.h"
#include "lookup/TrackCountDialog.h"
#include "naming/FormatEditorDialog.h"
#include "platform/FileSystem.h"
#include "processing/RunRecovery.h"
#include "widgets/Artwork.h"
#include "widgets/FolderPathBox.h"
#include "widgets/FolderTreeCtrl.h"
#include "widgets/IconButton.h"
#include "widgets/SortListCtrl.h"
#include "widgets/SplitterBar.h"
#include "widgets/StatusListCtrl.h"

namespace corvane {

namespace {

constexpr const char* kTitle = "Corvane MP3 v2.00";
constexpr const char* kCredit = "the Corvane MP3 developers";

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::string WelcomeText() {
    return std::string("Welcome to Corvane MP3 ! [v2.00 - Code by ") + kCredit + "]";
}

MainDialog::MainDialog(ComponentLoader& loader, QWidget* parent)
    : ResizableDialog(parent),
      loader_(loader),
      form_(this),
      workflow_(album_, agent_, form_.serverBox, *this) {
    InitArtwork();
    setWindowTitle(QString::fromUtf8(kTitle));
    setWindowIcon(ArtworkIcon(artwork::kAppIcon));
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    agent_.SetChooser(this);
    agent_.SetNotifier(this);
    nameFormats_.SetFormatCombo(&form_.formatBox);
    nameFormats_.SetCaseCombo(&form_.caseBox);
    lists_ = std::make_unique<AlbumLists>(album_, nameFormats_, form_.fileList, form_.databaseList);
    tagFields_ = std::make_unique<TagFieldEditor>(
        form_, album_.files, *lists_, [this](const std::string& text) { AddStatus(text); });
    runs_ = std::make_unique<RunCommands>(this, album_, *lists_, *this);
    folders_ = std::make_unique<FolderNavigator>(
        form_, [this](const std::string& folder) { ShowFolder(folder); },
        [this](const std::string& text) { AddStatus(text); });
    ConnectControls();

    settings_ = loader_.LoadSettings(this);
    if (!settings_) {
        return;
    }
    if (settings_->values.showSplash) {
        splash_ = std::make_unique<SplashWindow>();
        splash_->ShowAsSplash();
    }
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &MainDialog::OnTimer);
}

MainDialog::~MainDialog() {
    SaveOnClose();
    // The children go after this object's own part: their last signals must
    // not reach its handlers.
    for (QObject* sender :
         std::initializer_list<QObject*>{form_.tree, form_.fileList, form_.databaseList}) {
        sender->disconnect(this);
    }
    if (form_.verticalBar != nullptr) {
        form_.verticalBar->Unbind();
    }
    // The settings first, then the MP3 component; their modules stay loaded.
    settings_.reset();
    mp3Info_.reset();
}

void MainDialog::ConnectControls() {
    connect(form_.tree, &QTreeWidget::currentItemChanged, this, [this] { OnFolderSelected(); });
    connect(form_.fileList, &QTreeWidget::itemSelectionChanged, this,
            &MainDialog::OnFileRowChanged);
    connect(form_.databaseList, &QTreeWidget::itemSelectionChanged, this,
            &MainDialog::OnDatabaseRowChanged);
    connect(form_.actionCombo, &QComboBox::activated, this, &MainDialog::OnActionChanged);
    connect(form_.formatCombo, &QComboBox::activated, this, [this] { OnFormatChanged(); });
    connect(form_.caseCombo, &QComboBox::activated, this, [this] { OnFormatChanged(); });
    connect(form_.serverCombo, &QComboBox::activated, this, [this] { OnServerChanged(); });
    connect(form_.executeButton, &QPushButton::clicked, this, &MainDialog::OnExecute);
    connect(form_.queryButton, &QPushButton::clicked, this, &MainDialog::QueryCommand);
    connect(form_.settingsButton, &QPushButton::clicked, this, &MainDialog::OnSettings);
    connect(form_.aboutButton, &QPushButton::clicked, this, &MainDialog::OnAbout);
    connect(form_.pathBox, &FolderPathBox::folderChosen, this, &MainDialog::OpenFolder);
    connect(form_.libraryButton, &QPushButton::clicked, this, [this] {
        OpenLibrary(this, album_.folder, settings_->values, loader_,
                    [this](const std::string& folder) { OpenFolder(folder); });
    });
    setAcceptDrops(true);
}

// ------------------------------------------------------------------ set-up

bool MainDialog::Initialize() {
    if (!settings_) {
        return false;
    }
    AddStatus(WelcomeText());
    timer_.start(kSplashTimerMs);

    mp3Info_ = loader_.LoadMp3Info();
    if (!mp3Info_) {
        const std::string& text = loader_.Error();
        if (!text.empty()) {
            AddStatus(text);
            ShowStopMessage(FromUtf8(text));
        }
        timer_.stop();
        splash_.reset();
        reject();
        return false;
    }

    tagFields_->SetMp3Info(mp3Info_.get());
    tagFields_->SetId3Version(settings_->values.id3Version);
    form_.tree->setAccessibleName(QStringLiteral("ShellTree Control"));
    form_.tree->SetRoot(std::string(), false);

    form_.SetUpLayout(settings_->values.showStatusList);
    connect(form_.verticalBar, &SplitterBar::moved, this, [this] { OnRelayout(); });
    connect(form_.horizontalBar, &SplitterBar::moved, this, [this] { OnRelayout(); });
    form_.SetUpListHeaders();
    ApplyColumnVisibility();
    SetUpCombos();

    EnableExecute(false);
    EnableQuery(false);
    tagFields_->Enable(false);
    FinishSetup();
    form_.RestoreFrom(settings_->values);
    initialized_ = true;
    SelectRememberedFolder();
    AddStatus("Ready.");
    return true;
}

void MainDialog::ApplyColumnVisibility() {
    if (settings_) {
        lists_->ApplyColumnVisibility(settings_->values);
    }
}

void MainDialog::SetUpCombos() {
    form_.FillActionAndCaseCombos();
    nameFormats_.ClearNameFormats();
    nameFormats_.LoadNameFormats(settings_->values);
    formatName_ = form_.formatBox.SelectedText();
    form_.caseBox.SelectPrefix(settings_->values.caseMode);

    workflow_.Configure(settings_->values);
    workflow_.InitServerCombo();
    form_.FillGenreCombo();
    form_.pathBox->SetRecentFolders(settings_->values.recentFolders);
}

void MainDialog::SelectRememberedFolder() {
    const std::string folder = startFolder_.empty() ? settings_->values.lastFolder : startFolder_;
    if (folder.size() <= 1) {
        return;
    }
    // The tree's selection runs the folder handler as a click would; the
    // folder is then scanned once more whether or not the tree found it.
    form_.tree->SelectPath(folder);
    ScanFolder(folder);
}

void MainDialog::OpenFolder(const std::string& path) {
    folders_->Open(path);
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (!FolderNavigator::DroppedFolder(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void MainDialog::dropEvent(QDropEvent* event) {
    if (const std::string folder = FolderNavigator::DroppedFolder(event->mimeData());
        !folder.empty()) {
        event->acceptProposedAction();
        OpenFolder(folder);
    }
}

// ---------------------------------------------------------------- status

void MainDialog::AddStatus(const std::string& text) {
    form_.statusList->AddLine(text);
}

void MainDialog::EnableQuery(bool enable) {
    form_.queryButton->setEnabled(enable && !folders_->IsWaiting());
}

void MainDialog::EnableExecute(bool enable) {
    // Undo has work only where a run can be undone, whatever a lookup found.
    if (form_.actionCombo->currentIndex() == kActionUndo) {
        enable = FindRun(album_.folder).CanUndo();
    }
    form_.executeButton->setEnabled(enable && !folders_->IsWaiting());
}

std::string MainDialog::ExecuteCaption() const {
    // A lookup's prompt names the button that processes the album it found.
    const int action = form_.actionCombo->currentIndex();
    return MainForm::ExecuteCaption(action == kActionUndo ? kActionRename : action).toStdString();
}

void MainDialog::SetBusy(bool busy) {
    if (busy) {
        ++busyDepth_;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0) {
        --busyDepth_;
        QApplication::restoreOverrideCursor();
    }
}

TrackCountAnswer MainDialog::AskTrackCount(bool notEnough, bool allowNewAlbum) {
    TrackCountDialog dialog(this);
    return dialog.AskTrackCount(notEnough, allowNewAlbum);
}

bool MainDialog::RunAssociation() {
    if (!association_) {
        association_ = std::make_unique<AssociationDialog>(this);
    }
    association_->SetSources(album_.files, album_.tracks, form_.fileList, form_.databaseList);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool accepted = association_->Run();
    QApplication::restoreOverrideCursor();
    if (accepted) {
        lists_->KeepRowPairing();
    }
    return accepted;
}

void MainDialog::ClearDatabaseList() {
    lists_->ClearDatabaseList();
}

bool MainDialog::ChooseDisc(const std::vector<DiscMatch>& matches, std::size_t& chosen) {
    return AskDiscMatch(this, matches, chosen);
}

bool MainDialog::ChooseRelease(const std::vector<std::string>& lines, std::size_t& chosen) {
    return AskLine(this, lines, chosen);
}

bool MainDialog::ChooseSearchResult(const std::vector<SearchResult>& results, std::size_t& chosen) {
    return AskSearchResult(this, results, chosen);
}

bool MainDialog::AskSearchWords(const std::string& proposal, std::string& words) {
    return AskWords(this, proposal, words);
}

void MainDialog::ShowError(const std::string& text) {
    ShowWarning(this, text);
}

void MainDialog::ShowStopMessage(const QString& text) {
    QMessageBox::critical(this, windowTitle(), text);
}

bool MainDialog::ConfirmProcessing(const QString& text) {
    return AskYesOrNo(this, text);
}

// ------------------------------------------------------------ album lists

int MainDialog::ScanFolder(const std::string& path) {
    if (!mp3Info_) {
        return -1;
    }
    SetBusy(true);
    const int count = corvane::ScanFolder(album_, path, *mp3Info_);
    const int error = errno;
    if (count < 0) {
        // The lists must not go on showing another folder's files under this one's name.
        album_.files.clear();
        album_.tracks.clear();
        AddStatus("Cannot open the folder " + path + ": " + ErrorText(error) + ".");
    }
    lists_->ClearDatabaseList();
    FillFileList();
    for (const std::string& line : DamagedFileLines(album_.files)) {
        AddStatus(line);
    }
    SetBusy(false);
    EnableQuery(count > 0);
    EnableExecute(ExecuteHasWork());
    return count;
}

bool MainDialog::ExecuteHasWork() const {
    switch (form_.actionCombo->currentIndex()) {
        case kActionRename:
            return form_.fileList->RowCount() > 0 && form_.databaseList->RowCount() > 0;
        case kActionTag:
            return lists_->SelectedFileRow() >= 0;
        case kActionUndo:
            return FindRun(album_.folder).CanUndo();
        default:
            return false;
    }
}

void MainDialog::FillFileList() {
    lists_->FillFileList();
    tagFields_->Clear();
    tagFields_->Enable(false);
}

void MainDialog::FillDatabaseList() {
    lists_->FillDatabaseList();
}

int MainDialog::FileRecordOfRow(int row) const {
    return lists_->FileRecordOfRow(row);
}

bool MainDialog::IsListSyncMuted() const {
    return lists_->IsSyncMuted();
}

// --------------------------------------------------------------- handlers

void MainDialog::OnFolderSelected() {
    QTreeWidgetItem* item = form_.tree->currentItem();
    if (folders_->IsTreeMuted() || item == nullptr || !initialized_) {
        return;
    }
    if (const std::string path = form_.tree->GetItemPath(item); !path.empty()) {
        ShowFolder(path);
    }
}

void MainDialog::ShowFolder(const std::string& path) {
    const int count = ScanFolder(path);
    if (count < 0) {
        return;
    }
    form_.pathBox->ShowPath(path);
    // Another run works here: nothing is offered until it is done, then the folder is
    // shown again as it then is.
    if (folders_->WaitWhileLocked(path, [this, path] {
            if (album_.folder == path) {
                ShowFolder(path);
            }
        })) {
        EnableQuery(false);
        EnableExecute(false);
        return;
    }
    if (mp3Info_ && runs_->OfferUnfinishedRun(path, *mp3Info_, [this](bool canFinish) {
            return AskUnfinishedRun(canFinish);
        })) {
        RescanAfterProcessing();
        return;
    }
    if (count == 0) {
        AddStatus("No MP3 Files found in this directory.");
        album_.tracks.clear();
        lists_->ClearDatabaseList();
        return;
    }
    if (folders_->Remember(settings_->values.recentFolders, path)) {
        StoreSettings();
    }
    if (settings_->values.autoQuery) {
        QueryCommand();
    } else {
        EnableQuery(true);
        AddStatus("Press \"Query\" button to query CDDB !");
    }
}

void MainDialog::OnFileRowChanged() {
    if (lists_->IsSyncMuted()) {
        return;
    }
    if (lists_->SelectedFileRecords().empty()) {
        tagFields_->Clear();
        tagFields_->Enable(false);
        return;
    }
    tagFields_->ShowSelection();
    ShowExecuteCaption();
    if (form_.actionCombo->currentIndex() == kActionTag) {
        tagFields_->Enable(true);
        EnableExecute(true);
    }
    lists_->SelectPartnersOfFiles();
}

void MainDialog::OnDatabaseRowChanged() {
    lists_->SelectPartnerOfTrack();
}

void MainDialog::OnActionChanged(int index) {
    if (index < kActionRename || index > kActionUndo) {
        return;
    }
    ShowExecuteCaption();
    form_.formatCombo->setEnabled(index == kActionRename);
    tagFields_->Enable(index == kActionTag && lists_->SelectedFileRow() >= 0);
    EnableExecute(ExecuteHasWork());
}

void MainDialog::ShowExecuteCaption() {
    const int action = form_.actionCombo->currentIndex();
    const bool several = action == kActionTag && lists_->SelectedFileRecords().size() > 1;
    form_.executeButton->setText(several ? MainForm::kSeveralFilesTagCaption
                                         : MainForm::ExecuteCaption(action));
}

void MainDialog::OnExecute() {
    const int action = form_.actionCombo->currentIndex();
    if (action == kActionUndo) {
        UndoLastRun();
        return;
    }
    if (form_.fileList->RowCount() == 0 || !mp3Info_) {
        return;
    }
    if (action == kActionTag) {
        tagFields_->SaveIntoSelection(*mp3Info_);
        return;
    }
    if (action != kActionRename || form_.databaseList->RowCount() == 0) {
        return;
    }
    if (const std::size_t mismatches = lists_->CountLengthMismatches(); mismatches > 0) {
        const std::string question = LengthMismatchText(mismatches) +
                                     ": the marked tracks may not belong to their files.\n\n"
                                     "Rename the files all the same?";
        if (!ConfirmProcessing(FromUtf8(question))) {
            AddStatus("Operation cancelled.");
            return;
        }
    }
    RescanAfterProcessing(runs_->RunProcessing(*mp3Info_, settings_->values,
                                               form_.createDirectory->isChecked(),
                                               form_.createPlaylist->isChecked()));
}

int MainDialog::AskUnfinishedRun(bool canFinish) {
    return RunCommands::AskInMessageBox(this, canFinish);
}

void MainDialog::UndoLastRun() {
    if (runs_->UndoLastRun()) {
        RescanAfterProcessing();
        EnableExecute(false);
    }
}

void MainDialog::RescanAfterProcessing(const std::string& albumDirectory) {
    ScanFolder(folders_->Reselect(albumDirectory, album_.folder));
}

void MainDialog::QueryCommand() {
    workflow_.QueryCommand();
    if (const std::size_t mismatches = lists_->CountLengthMismatches(); mismatches > 0) {
        AddStatus(LengthMismatchText(mismatches) + ": check the marked rows.");
    }
}

void MainDialog::OnServerChanged() {
    if (settings_) {
        workflow_.Configure(settings_->values);
    }
    workflow_.OnServerChanged();
    if (const std::string server = form_.serverBox.SelectedText();
        settings_ && !server.empty() && server != kMoreServersEntry) {
        settings_->values.cddbServer = server;
        StoreSettings();
    }
}

void MainDialog::StoreSettings() {
    // Each change is kept at once, so that a crash loses none of them.
    if (const int error = settings_->SaveToIni(); error != 0) {
        AddStatus("Cannot write the settings file " + settings_->values.iniPath + ": " +
                  ErrorText(error) + ".");
    }
}

void MainDialog::OnFormatChanged() {
    if (form_.formatBox.SelectedText() == kMoreFormatsItem) {
        FormatEditorDialog editor(nameFormats_, form_.formatBox, this);
        RunFormatEditor(editor, nameFormats_.TemplateForName(formatName_));
        nameFormats_.StoreNameFormats(settings_->values);
        // Escape leaves " More..." selected: the template in use stays.
        if (const std::string chosen = form_.formatBox.SelectedText();
            chosen.empty() || chosen == kMoreFormatsItem) {
            form_.formatBox.SelectPrefix(formatName_);
        }
    }
    formatName_ = form_.formatBox.SelectedText();
    settings_->values.nameFormat = nameFormats_.CurrentTemplate();
    settings_->values.caseMode = form_.caseBox.SelectedText();
    StoreSettings();
    if (!album_.tracks.empty()) {
        FillDatabaseList();
    }
}

int MainDialog::RunFormatEditor(FormatEditorDialog& editor, const std::string& openTemplate) {
    return editor.Edit(openTemplate);
}

int MainDialog::RunSettingsDialog() {
    return settings_->DoModal();
}

void MainDialog::OnSettings() {
    if (!settings_) {
        return;
    }
    const CddbServerAddress before = workflow_.DefaultServer();
    RunSettingsDialog();
    ApplyColumnVisibility();
    tagFields_->SetId3Version(settings_->values.id3Version);
    workflow_.Configure(settings_->values);
    const CddbServerAddress& after = workflow_.DefaultServer();
    if (after.host != before.host || after.port != before.port) {
        workflow_.InitServerCombo();
    }
}

void MainDialog::OnAbout() {
    SplashWindow about(this);
    about.exec();
}

void MainDialog::OnTimer() {
    splash_.reset();
    timer_.stop();
    if (settings_ && !settings_->values.configured) {
        OnSettings();
    }
}

// --------------------------------------------------------------- shutdown

void MainDialog::done(int result) {
    SaveOnClose();
    ResizableDialog::done(result);
}

void MainDialog::SaveOnClose() {
    if (closed_ || !settings_) {
        return;
    }
    closed_ = true;
    timer_.stop();
    splash_.reset();
    // A start that failed half way has nothing of the user's to store, and
    // storing it would forget the remembered folder.
    if (!initialized_) {
        return;
    }
    form_.StoreInto(settings_->values);
    settings_->values.nameFormat = nameFormats_.CurrentTemplate();
    StoreSettings();
}

}  // namespace corvane
