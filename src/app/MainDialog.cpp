#include "app/MainDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <algorithm>
#include <cerrno>
#include <set>

#include "album/TrackListColumns.h"
#include "app/GenreNames.h"
#include "app/SplashWindow.h"
#include "association/Association.h"
#include "association/AssociationDialog.h"
#include "lookup/ManualSearchDialog.h"
#include "lookup/SearchWords.h"
#include "lookup/SelectDiskDialog.h"
#include "lookup/TrackCountDialog.h"
#include "naming/CaseConversion.h"
#include "naming/FormatEditorDialog.h"
#include "platform/FileSystem.h"
#include "processing/DependenciesDialog.h"
#include "processing/ProcessingDialog.h"
#include "processing/RunRecovery.h"
#include "processing/TagSaver.h"
#include "widgets/Artwork.h"
#include "widgets/FolderTreeCtrl.h"
#include "widgets/IconButton.h"
#include "widgets/SortListCtrl.h"
#include "widgets/SplitterBar.h"

namespace corvane {

namespace {

constexpr const char* kTitle = "Corvane MP3 v2.00";
constexpr const char* kCredit = "the Corvane MP3 developers";
constexpr const char* kActionNames[] = {"Rename Files", "ID3 Tag Files", "Undo Last Rename"};
constexpr const char* kRenameCaption = "&Rename Files";
constexpr const char* kTagCaption = "&ID3 Tag File";
constexpr const char* kUndoCaption = "&Undo Last Rename";

// The window's size at its first start; the layout below is laid out for it.
constexpr int kWidth = 1060;
constexpr int kHeight = 700;
constexpr int kMargin = 8;
constexpr int kTreeWidth = 240;
constexpr int kBarSize = 5;
constexpr int kStatusHeight = 92;
constexpr int kMinHeight = 520;
constexpr int kIconSize = 16;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
    return text.toStdString();
}

// A status text as one line of the list: line breaks become blanks, and a
// server's answer quoted in a failure is cut to what a line can show.
QString StatusLine(const std::string& text) {
    constexpr qsizetype kMaxStatusChars = 1000;
    QString line = FromUtf8(text);
    if (line.size() > kMaxStatusChars) {
        line = line.left(kMaxStatusChars) + QStringLiteral("...");
    }
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line.trimmed();
}

QLabel* GroupIcon(const char* path, QWidget* parent) {
    auto* icon = new QLabel(parent);
    icon->setPixmap(ArtworkIcon(path).pixmap(kIconSize, kIconSize));
    icon->setFixedSize(kIconSize, kIconSize);
    return icon;
}

// A label that names its field for assistive technology.
QLabel* Label(const QString& text, QWidget* field) {
    auto* label = new QLabel(text, field->parentWidget());
    label->setBuddy(field);
    return label;
}

IconButton* MakeButton(const QString& text, const char* icon, QWidget* parent) {
    auto* button = new IconButton(text, parent);
    button->SetIcon(ArtworkIcon(icon), kIconSize, kIconSize);
    button->setAutoDefault(false);
    return button;
}

// Selects the rows of view whose item data equals data, without moving the
// focus, then shows the row at index; alone: the other rows are unselected.
void SelectPartnerRows(SortListCtrl* view, qint64 data, int index, bool alone = true) {
    QItemSelectionModel* selection = view->selectionModel();
    const auto flags = (alone ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                       QItemSelectionModel::Rows;
    for (int row = 0; row < view->RowCount(); ++row) {
        if (view->ItemData(row) == data) {
            selection->select(view->model()->index(row, 0), flags);
        }
    }
    if (QTreeWidgetItem* item = view->topLevelItem(index)) {
        view->scrollToItem(item);
    }
}

// The tag values all the records share; a field they differ in is empty.
TrackInfo SharedTagValues(const TrackList& files, const std::vector<int>& records) {
    TrackInfo shared = files[static_cast<std::size_t>(records.front())];
    for (const int record : records) {
        const TrackInfo& file = files[static_cast<std::size_t>(record)];
        for (auto field : {&TrackInfo::artist, &TrackInfo::album, &TrackInfo::year,
                           &TrackInfo::comment, &TrackInfo::genre}) {
            if (shared.*field != file.*field) {
                (shared.*field).clear();
            }
        }
    }
    return shared;
}

}  // namespace

std::string WelcomeText() {
    return std::string("Welcome to Corvane MP3 ! [v2.00 - Code by ") + kCredit + "]";
}

MainDialog::MainDialog(ComponentLoader& loader, QWidget* parent)
    : ResizableDialog(parent), loader_(loader), workflow_(album_, agent_, serverBox_, *this) {
    InitArtwork();
    setWindowTitle(QString::fromUtf8(kTitle));
    setWindowIcon(ArtworkIcon(artwork::kAppIcon));
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    agent_.SetChooser(this);
    agent_.SetNotifier(this);
    BuildControls();

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
    for (QObject* sender : std::initializer_list<QObject*>{tree_, fileList_, databaseList_}) {
        sender->disconnect(this);
    }
    if (verticalBar_ != nullptr) {
        verticalBar_->Unbind();
    }
    // The settings first, then the MP3 component; their modules stay loaded.
    settings_.reset();
    mp3Info_.reset();
}

// ---------------------------------------------------------------- controls

void MainDialog::BuildControls() {
    resize(kWidth, kHeight);
    optionsPanel_ = BuildOptionsPanel();
    // Wider fonts widen the option groups; the window then starts wider too.
    const int width = std::max(kWidth, optionsPanel_->minimumSizeHint().width() + 2 * kMargin);
    resize(width, kHeight);
    optionsPanel_->setGeometry(kMargin, kMargin, width - 2 * kMargin,
                               optionsPanel_->sizeHint().height());

    tree_ = new CFolderTreeCtrl(this);
    fileList_ = new SortListCtrl(this);
    databaseList_ = new SortListCtrl(this);
    statusList_ = new QListWidget(this);
    statusList_->setSelectionMode(QAbstractItemView::NoSelection);
    statusList_->setFocusPolicy(Qt::NoFocus);
    statusList_->setUniformItemSizes(true);
    // By pixel, so that scrolling to the bottom shows the last line whole.
    statusList_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalPlaceholder_ = new QWidget(this);
    horizontalPlaceholder_ = new QWidget(this);
    // Several files can be tagged at once; the tracks only follow the files.
    fileList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    databaseList_->setSelectionMode(QAbstractItemView::SingleSelection);

    const int top = optionsPanel_->geometry().bottom() + 1 + kMargin;
    const int statusTop = kHeight - kMargin - kStatusHeight;
    const int bottom = statusTop - kMargin;
    const int listsLeft = kMargin + kTreeWidth + kBarSize + 2;
    const int listsWidth = width - kMargin - listsLeft;
    const int middle = top + (bottom - top) / 2;
    tree_->setGeometry(kMargin, top, kTreeWidth, bottom - top);
    verticalPlaceholder_->setGeometry(kMargin + kTreeWidth + 1, top, kBarSize, bottom - top);
    fileList_->setGeometry(listsLeft, top, listsWidth, middle - top - 1);
    horizontalPlaceholder_->setGeometry(listsLeft, middle, listsWidth, kBarSize);
    databaseList_->setGeometry(listsLeft, middle + kBarSize + 1, listsWidth,
                               bottom - middle - kBarSize - 1);
    statusList_->setGeometry(kMargin, statusTop, width - 2 * kMargin, kStatusHeight);

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] { OnFolderSelected(); });
    connect(fileList_, &QTreeWidget::itemSelectionChanged, this, &MainDialog::OnFileRowChanged);
    connect(databaseList_, &QTreeWidget::itemSelectionChanged, this,
            &MainDialog::OnDatabaseRowChanged);
    connect(fileList_, &SortListCtrl::rowsSorted, this,
            [this] { LineUpRows(fileList_, databaseList_); });
    connect(databaseList_, &SortListCtrl::rowsSorted, this,
            [this] { LineUpRows(databaseList_, fileList_); });
}

QWidget* MainDialog::BuildOptionsPanel() {
    auto* panel = new QWidget(this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kMargin);

    // Standard Options: what Execute does and how the new names look.
    auto* standard = new QGroupBox(tr("Standard Options"), panel);
    auto* grid = new QGridLayout(standard);
    actionCombo_ = new QComboBox(standard);
    formatCombo_ = new QComboBox(standard);
    caseCombo_ = new QComboBox(standard);
    queryButton_ = MakeButton(tr("&Query"), artwork::kQuery, standard);
    executeButton_ = MakeButton(QString::fromUtf8(kRenameCaption), artwork::kExecute, standard);
    for (QComboBox* combo : {actionCombo_, formatCombo_, caseCombo_}) {
        combo->setMinimumWidth(120);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
    grid->addWidget(GroupIcon(artwork::kGroupOptions, standard), 0, 0, Qt::AlignTop);
    grid->addWidget(Label(tr("Action"), actionCombo_), 0, 1);
    grid->addWidget(actionCombo_, 0, 2);
    grid->addWidget(Label(tr("Name Format"), formatCombo_), 1, 1);
    grid->addWidget(formatCombo_, 1, 2);
    grid->addWidget(Label(tr("Convert Case"), caseCombo_), 2, 1);
    grid->addWidget(caseCombo_, 2, 2);
    grid->addWidget(queryButton_, 0, 3);
    grid->addWidget(executeButton_, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    // Wide enough for the longer caption of either action, beside the icon.
    const int captionWidth = executeButton_->fontMetrics().horizontalAdvance(
        QString::fromUtf8(kRenameCaption).remove(QLatin1Char('&')));
    for (IconButton* button : {queryButton_, executeButton_}) {
        button->setMinimumWidth(captionWidth + kIconSize + 4 * IconButton::kMargin +
                                IconButton::kGap);
    }

    // Rename / Tag Info: the fields "ID3 Tag Files" writes.
    auto* tags = new QGroupBox(tr("Rename / Tag Info"), panel);
    auto* form = new QGridLayout(tags);
    artistEdit_ = new QLineEdit(tags);
    albumEdit_ = new QLineEdit(tags);
    yearEdit_ = new QLineEdit(tags);
    yearEdit_->setFixedWidth(yearEdit_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                             16);
    genreCombo_ = new QComboBox(tags);
    genreCombo_->setEditable(true);
    genreCombo_->setInsertPolicy(QComboBox::NoInsert);
    genreCombo_->setMinimumWidth(110);
    commentEdit_ = new QLineEdit(tags);
    form->addWidget(GroupIcon(artwork::kGroupTags, tags), 0, 0, Qt::AlignTop);
    form->addWidget(Label(tr("Artist"), artistEdit_), 0, 1);
    form->addWidget(artistEdit_, 0, 2, 1, 3);
    form->addWidget(Label(tr("Album"), albumEdit_), 1, 1);
    form->addWidget(albumEdit_, 1, 2, 1, 3);
    form->addWidget(Label(tr("Year"), yearEdit_), 2, 1);
    form->addWidget(yearEdit_, 2, 2);
    auto* genreLabel = Label(tr("Genre"), genreCombo_);
    form->addWidget(genreLabel, 2, 3, Qt::AlignRight);
    form->addWidget(genreCombo_, 2, 4);
    form->addWidget(Label(tr("Comments"), commentEdit_), 3, 1);
    form->addWidget(commentEdit_, 3, 2, 1, 3);
    form->setColumnStretch(4, 1);

    // Extended Options: what else processing does, and where lookups go.
    auto* extended = new QGroupBox(tr("Extended Options"), panel);
    auto* more = new QGridLayout(extended);
    createDirectory_ = new QCheckBox(tr("Create Directory"), extended);
    createPlaylist_ = new QCheckBox(tr("Create Playlist (M3U)"), extended);
    serverCombo_ = new QComboBox(extended);
    serverCombo_->setMinimumWidth(150);
    serverCombo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    settingsButton_ = MakeButton(tr("&Settings"), artwork::kSettings, extended);
    aboutButton_ = MakeButton(QString(), artwork::kAbout, extended);
    aboutButton_->setToolTip(tr("About Corvane MP3"));
    aboutButton_->setFixedWidth(36);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(settingsButton_, 1);
    buttons->addWidget(aboutButton_);
    more->addWidget(GroupIcon(artwork::kGroupExtended, extended), 0, 0, Qt::AlignTop);
    more->addWidget(createDirectory_, 0, 1, 1, 2);
    more->addWidget(createPlaylist_, 1, 1, 1, 2);
    more->addWidget(Label(tr("Server"), serverCombo_), 2, 1);
    more->addWidget(serverCombo_, 2, 2);
    more->addLayout(buttons, 3, 1, 1, 2);
    more->setColumnStretch(2, 1);

    row->addWidget(standard, 4);
    row->addWidget(tags, 5);
    row->addWidget(extended, 3);

    formatBox_.SetBox(formatCombo_);
    caseBox_.SetBox(caseCombo_);
    serverBox_.SetBox(serverCombo_);
    genreBox_.SetBox(genreCombo_);
    nameFormats_.SetFormatCombo(&formatBox_);
    nameFormats_.SetCaseCombo(&caseBox_);

    // A box narrower than its entry still tells it in full.
    for (QComboBox* combo : {formatCombo_, serverCombo_, genreCombo_}) {
        connect(combo, &QComboBox::currentTextChanged, combo,
                [combo](const QString& text) { combo->setToolTip(text); });
    }
    connect(actionCombo_, &QComboBox::activated, this, &MainDialog::OnActionChanged);
    connect(formatCombo_, &QComboBox::activated, this, [this] { OnFormatChanged(); });
    connect(caseCombo_, &QComboBox::activated, this, [this] { OnFormatChanged(); });
    connect(serverCombo_, &QComboBox::activated, this, [this] { OnServerChanged(); });
    connect(executeButton_, &QPushButton::clicked, this, &MainDialog::OnExecute);
    connect(queryButton_, &QPushButton::clicked, this, &MainDialog::QueryCommand);
    connect(settingsButton_, &QPushButton::clicked, this, &MainDialog::OnSettings);
    connect(aboutButton_, &QPushButton::clicked, this, &MainDialog::OnAbout);
    return panel;
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

    tree_->setAccessibleName(QStringLiteral("ShellTree Control"));
    tree_->SetRoot(std::string(), false);

    SetUpLayout();
    SetUpLists();
    ApplyColumnVisibility();
    SetUpCombos();

    EnableExecute(false);
    EnableQuery(false);
    EnableTagFields(false);
    const SettingsValues& values = settings_->values;
    createPlaylist_->setChecked(values.createPlaylist);
    createDirectory_->setChecked(values.createDirectory);

    RestoreWindow();
    initialized_ = true;
    SelectRememberedFolder();
    AddStatus("Ready.");
    return true;
}

void MainDialog::SetUpLayout() {
    const SettingsValues& values = settings_->values;
    if (!values.showStatusList) {
        // The tree and the lower list take the status list's room.
        const int grow = statusList_->viewport()->height() + 5;
        statusList_->hide();
        tree_->resize(tree_->width(), tree_->height() + grow);
        verticalPlaceholder_->resize(verticalPlaceholder_->width(),
                                     verticalPlaceholder_->height() + grow);
        databaseList_->resize(databaseList_->width(), databaseList_->height() + grow);
    }

    verticalBar_ = new VerticalSplitterBar(this);
    verticalBar_->Bind(verticalPlaceholder_, 1050);
    verticalBar_->SetMinSizes(kMinPaneSize, kMinPaneSize);
    verticalBar_->AttachFirstPane(tree_);
    verticalBar_->AttachSecondPane(fileList_);
    verticalBar_->AttachSecondPane(databaseList_);
    horizontalBar_ = new HorizontalSplitterBar(this);
    horizontalBar_->Bind(horizontalPlaceholder_, 1051);
    horizontalBar_->SetMinSizes(kMinPaneSize, kMinPaneSize);
    horizontalBar_->AttachFirstPane(fileList_);
    horizontalBar_->AttachSecondPane(databaseList_);
    verticalBar_->AttachSecondPane(horizontalBar_);
    connect(verticalBar_, &SplitterBar::moved, this, [this] { OnRelayout(); });
    connect(horizontalBar_, &SplitterBar::moved, this, [this] { OnRelayout(); });

    // The option groups stretch sideways; everything else follows the
    // anchors of the classic layout.
    AddAnchor(optionsPanel_, TopLeft, TopRight);
    AddAnchor(statusList_, BottomLeft, BottomRight);
    AddAnchor(tree_, TopLeft, BottomLeft);
    AddAnchor(fileList_, TopLeft, MiddleRight);
    AddAnchor(databaseList_, MiddleLeft, BottomRight);
    AddAnchor(verticalBar_, TopLeft, BottomLeft);
    AddAnchor(horizontalBar_, MiddleLeft, MiddleRight);
    ShowSizeGrip(false);
}

void MainDialog::OnRelayout() {
    ReAnchor(tree_, TopLeft, BottomLeft);
    ReAnchor(fileList_, TopLeft, MiddleRight);
    ReAnchor(databaseList_, MiddleLeft, BottomRight);
    ReAnchor(verticalBar_, TopLeft, BottomLeft);
    ReAnchor(horizontalBar_, MiddleLeft, MiddleRight);
}

void MainDialog::SetUpLists() {
    QStringList headers;
    for (const ListColumn& column : kFileListColumns) {
        headers << QString::fromUtf8(column.header);
    }
    fileList_->setHeaderLabels(headers);
    fileList_->headerItem()->setIcon(0, ArtworkIcon(artwork::kGroupFiles));
    fileList_->SetEmptyText(QString::fromUtf8(kEmptyFileListText));

    headers.clear();
    for (const ListColumn& column : kDatabaseListColumns) {
        headers << QString::fromUtf8(column.header);
    }
    databaseList_->setHeaderLabels(headers);
    databaseList_->headerItem()->setIcon(0, ArtworkIcon(artwork::kGroupCddb));
    databaseList_->SetEmptyText(QString::fromUtf8(kEmptyDatabaseListText));

    tree_->setHeaderLabel(tr("Folders"));
    tree_->headerItem()->setIcon(0, ArtworkIcon(artwork::kGroupFolders));
}

void MainDialog::ApplyColumnVisibility() {
    if (!settings_) {
        return;
    }
    const SettingsValues& values = settings_->values;
    for (int column = 0; column < kFileListColumnCount; ++column) {
        const int width = FileListColumnWidth(column, values.fileColumns);
        fileList_->setColumnHidden(column, width == 0);
        if (width > 0) {
            fileList_->setColumnWidth(column, width);
        }
    }
    for (int column = 0; column < kDatabaseListColumnCount; ++column) {
        const int width = DatabaseListColumnWidth(column, values.databaseColumns);
        databaseList_->setColumnHidden(column, width == 0);
        if (width > 0) {
            databaseList_->setColumnWidth(column, width);
        }
    }
}

void MainDialog::SetUpCombos() {
    actionCombo_->clear();
    for (const char* name : kActionNames) {
        actionCombo_->addItem(QString::fromUtf8(name));
    }
    actionCombo_->setCurrentIndex(kActionRename);
    executeButton_->setText(QString::fromUtf8(kRenameCaption));

    caseCombo_->clear();
    for (const char* mode : kCaseModes) {
        caseCombo_->addItem(QString::fromUtf8(mode));
    }
    caseCombo_->setCurrentIndex(0);

    nameFormats_.ClearNameFormats();
    nameFormats_.LoadNameFormats(settings_->values);
    formatName_ = formatBox_.SelectedText();

    workflow_.Configure(settings_->values);
    workflow_.InitServerCombo();

    genreCombo_->clear();
    for (const char* genre : kGenreNames) {
        genreBox_.AddSorted(genre);
    }
    genreCombo_->setCurrentIndex(-1);
}

void MainDialog::RestoreWindow() {
    const SettingsValues& values = settings_->values;
    FinishSetup();
    // Smaller than the first size is fine as long as the option groups fit:
    // the panes keep their own minimum through the splitter bars.
    SetUseMinTrack(false);
    setMinimumSize(optionsPanel_->minimumSizeHint().width() + 2 * kMargin, kMinHeight);
    if (values.windowWidth > 0 && values.windowHeight > 0) {
        resize(values.windowWidth, values.windowHeight);
    }
    PlaceOnScreen();
    if (values.windowMaximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void MainDialog::PlaceOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // The frame, title bar included, goes on the screen: a stored size larger than this
    // screen shrinks to it, and the window is centred.
    const QRect available = screen->availableGeometry();
    resize(std::min(width(), available.width()), std::min(height(), available.height()));
    QRect frame(QPoint(), size());
    frame.moveCenter(available.center());
    move(std::max(frame.left(), available.left()), std::max(frame.top(), available.top()));
}

void MainDialog::SelectRememberedFolder() {
    const std::string folder = settings_->values.lastFolder;
    if (folder.size() <= 1) {
        return;
    }
    // The tree's selection runs the folder handler as a click would; the
    // folder is then scanned once more whether or not the tree found it.
    tree_->SelectPath(folder);
    ScanFolder(folder);
}

// ---------------------------------------------------------------- status

void MainDialog::AddStatus(const std::string& text) {
    if (text == lastStatus_) {
        return;
    }
    lastStatus_ = text;
    statusList_->addItem(StatusLine(text));
    statusList_->setCurrentRow(statusList_->count() - 1);
    statusList_->doItemsLayout();
    statusList_->scrollToBottom();
    // A network wait that follows blocks the event loop: paint the line now,
    // so that "Connecting... Please wait" is seen while it waits.
    if (statusList_->isVisible()) {
        statusList_->viewport()->repaint();
    }
}

void MainDialog::EnableQuery(bool enable) {
    queryButton_->setEnabled(enable);
}

void MainDialog::EnableExecute(bool enable) {
    executeButton_->setEnabled(enable);
}

std::string MainDialog::ExecuteCaption() const {
    return ToUtf8(executeButton_->text());
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
    association_->SetSources(album_.files, album_.tracks, fileList_, databaseList_);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool accepted = association_->Run();
    QApplication::restoreOverrideCursor();
    if (accepted) {
        rowPairing_ = true;
        MarkLengthMismatches();
    }
    return accepted;
}

void MainDialog::ClearDatabaseList() {
    databaseList_->DeleteAllRows();
}

namespace {

// The Select Disk dialog over a busy window: the user needs the arrow.
bool ChooseLine(SelectDiskDialog& dialog, std::size_t& chosen) {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    QApplication::restoreOverrideCursor();
    if (accepted) {
        chosen = static_cast<std::size_t>(dialog.SelectedData());
    }
    return accepted;
}

}  // namespace

bool MainDialog::ChooseDisc(const std::vector<DiscMatch>& matches, std::size_t& chosen) {
    SelectDiskDialog dialog(this);
    dialog.SetMatches(matches);
    return ChooseLine(dialog, chosen);
}

bool MainDialog::ChooseRelease(const std::vector<std::string>& lines, std::size_t& chosen) {
    SelectDiskDialog dialog(this);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        dialog.AddLine(lines[i], static_cast<qint64>(i));
    }
    return ChooseLine(dialog, chosen);
}

bool MainDialog::ChooseSearchResult(const std::vector<SearchResult>& results, std::size_t& chosen) {
    SelectDiskDialog dialog(this);
    for (std::size_t i = 0; i < results.size(); ++i) {
        dialog.AddLine(SearchResultLine(results[i]), static_cast<qint64>(i));
    }
    return ChooseLine(dialog, chosen);
}

bool MainDialog::AskSearchWords(const std::string& proposal, std::string& words) {
    ManualSearchDialog dialog(this);
    dialog.SetInitialWords(proposal);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    QApplication::restoreOverrideCursor();
    if (accepted) {
        words = dialog.Words();
    }
    return accepted;
}

void MainDialog::ShowError(const std::string& text) {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox::warning(this, windowTitle(), FromUtf8(text));
    QApplication::restoreOverrideCursor();
}

void MainDialog::ShowStopMessage(const QString& text) {
    QMessageBox::critical(this, windowTitle(), text);
}

bool MainDialog::ConfirmProcessing(const QString& text) {
    return QMessageBox::warning(this, windowTitle(), text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
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
    databaseList_->DeleteAllRows();
    FillFileList();
    SetBusy(false);
    EnableQuery(count > 0);
    EnableExecute(ExecuteHasWork());
    return count;
}

bool MainDialog::ExecuteHasWork() const {
    switch (actionCombo_->currentIndex()) {
        case kActionRename:
            return fileList_->RowCount() > 0 && databaseList_->RowCount() > 0;
        case kActionTag:
            return SelectedFileRow() >= 0;
        case kActionUndo:
            return FindRun(album_.folder).CanUndo();
        default:
            return false;
    }
}

void MainDialog::FillFileList() {
    rowPairing_ = false;
    fileList_->EnableSorting(true);
    databaseList_->EnableSorting(true);
    fileList_->DeleteAllRows();
    fileList_->FlatHeader()->SetSortColumn(-1, true);  // the rows come in name order
    for (std::size_t i = 0; i < album_.files.size(); ++i) {
        QStringList texts;
        for (int column = 0; column < kFileListColumnCount; ++column) {
            texts << FromUtf8(FileListColumnText(album_.files[i], column));
        }
        const int row = fileList_->InsertRow(static_cast<int>(i), texts);
        fileList_->SetItemData(row, static_cast<qint64>(i));
    }
    // Tracks shown already go back beside their files.
    LineUpRows(fileList_, databaseList_);
    fileList_->FitColumnsToContents();
    ClearTagFields();
    EnableTagFields(false);
}

void MainDialog::FillDatabaseList() {
    for (TrackInfo& track : album_.tracks) {
        track.fileName = nameFormats_.BuildFileName(track);
    }
    rowPairing_ = false;
    fileList_->EnableSorting(true);
    databaseList_->EnableSorting(true);
    databaseList_->DeleteAllRows();
    databaseList_->FlatHeader()->SetSortColumn(-1, true);  // the rows follow the files
    const std::size_t rows = VisibleDatabaseRows(album_.tracks.size(), album_.files.size());
    const QIcon image = ArtworkIcon(artwork::kGroupCddb);
    for (std::size_t i = 0; i < rows; ++i) {
        QStringList texts;
        for (int column = 0; column < kDatabaseListColumnCount; ++column) {
            texts << FromUtf8(DatabaseListColumnText(album_.tracks[i], column));
        }
        const int row = databaseList_->InsertRow(static_cast<int>(i), texts, image);
        databaseList_->SetItemData(row, static_cast<qint64>(i));
    }
    // The file list may be sorted: each track goes back beside its file.
    LineUpRows(fileList_, databaseList_);
    databaseList_->FitColumnsToContents();
    MarkLengthMismatches();
}

void MainDialog::LineUpRows(SortListCtrl* leader, SortListCtrl* follower) {
    listSyncMuted_ = true;
    for (SortListCtrl* view : {leader, follower}) {
        view->RemoveRowsWithData(SortListCtrl::kGapRowData);
    }
    std::set<qint64> shown;
    for (int row = 0; row < follower->RowCount(); ++row) {
        shown.insert(follower->ItemData(row));
    }
    std::vector<qint64> order;
    std::size_t paired = 0;
    for (int row = 0; row < leader->RowCount(); ++row) {
        order.push_back(leader->ItemData(row));
        if (shown.count(order.back()) != 0) {
            paired = order.size();
        }
    }
    // Empty rows only where a partner is missing between pairs, none after the last.
    order.resize(paired);
    follower->ArrangeRows(order);
    listSyncMuted_ = false;
}

void MainDialog::ViewRows(std::vector<int>& fileRows, std::vector<int>& trackRows) const {
    fileRows.clear();
    for (int row = 0; row < fileList_->RowCount(); ++row) {
        fileRows.push_back(static_cast<int>(fileList_->ItemData(row)));
    }
    std::vector<int> shownTracks;
    for (int row = 0; row < databaseList_->RowCount(); ++row) {
        shownTracks.push_back(static_cast<int>(databaseList_->ItemData(row)));
    }
    if (rowPairing_) {
        shownTracks.resize(fileRows.size(), -1);
        trackRows = shownTracks;
        return;
    }
    trackRows = PartnerTrackRows(fileRows, shownTracks);
}

std::vector<FileJob> MainDialog::CurrentPairs() const {
    std::vector<int> fileRows;
    std::vector<int> trackRows;
    ViewRows(fileRows, trackRows);
    return PairRows(album_.files, fileRows, album_.tracks, trackRows);
}

std::size_t MainDialog::CountLengthMismatches() const {
    return LengthMismatches(CurrentPairs(), album_.files, album_.tracks).size();
}

void MainDialog::MarkLengthMismatches() {
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QColor background(255, 214, 170);
    for (const FileJob& job : LengthMismatches(CurrentPairs(), album_.files, album_.tracks)) {
        const TrackInfo& file = album_.files[static_cast<std::size_t>(job.fileRecord)];
        const TrackInfo& track = album_.tracks[static_cast<std::size_t>(job.trackRecord)];
        const QString tip =
            FromUtf8("Its file \"" + file.fileName + "\" plays " + FormatPlayTime(file) +
                     ", this track " + FormatPlayTime(track));
        for (int row = 0; row < databaseList_->RowCount(); ++row) {
            if (databaseList_->ItemData(row) != job.trackRecord) {
                continue;
            }
            QTreeWidgetItem* item = databaseList_->topLevelItem(row);
            item->setIcon(0, warning);
            for (int column = 0; column < item->columnCount(); ++column) {
                item->setBackground(column, background);
                item->setToolTip(column, tip);
            }
        }
    }
}

int MainDialog::FileRecordOfRow(int row) const {
    if (row < 0 || row >= fileList_->RowCount()) {
        return -1;
    }
    // The row's item data names its record; a file name that is not UTF-8
    // would not survive a round trip through the shown text.
    const qint64 record = fileList_->ItemData(row);
    return record >= 0 && record < static_cast<qint64>(album_.files.size())
               ? static_cast<int>(record)
               : -1;
}

int MainDialog::SelectedFileRow() const {
    const QList<QTreeWidgetItem*> selected = fileList_->selectedItems();
    return selected.isEmpty() ? -1 : fileList_->indexOfTopLevelItem(selected.front());
}

// ------------------------------------------------------------- tag fields

void MainDialog::EnableTagFields(bool enable) {
    for (QWidget* field : std::initializer_list<QWidget*>{artistEdit_, albumEdit_, yearEdit_,
                                                          genreCombo_, commentEdit_}) {
        field->setEnabled(enable);
    }
}

void MainDialog::ClearTagFields() {
    artistEdit_->clear();
    albumEdit_->clear();
    yearEdit_->clear();
    commentEdit_->clear();
    genreCombo_->setCurrentIndex(-1);
    genreCombo_->setEditText(QString());
}

void MainDialog::ShowTagFields(const TrackInfo& record) {
    artistEdit_->setText(FromUtf8(record.artist));
    albumEdit_->setText(FromUtf8(record.album));
    yearEdit_->setText(FromUtf8(record.year));
    commentEdit_->setText(FromUtf8(record.comment));
    // A genre the list does not name is shown as typed, so that saving the
    // tag keeps it instead of wiping it.
    if (record.genre.empty() || genreBox_.SelectPrefix(record.genre) < 0) {
        genreCombo_->setCurrentIndex(-1);
        genreCombo_->setEditText(FromUtf8(record.genre));
    }
}

// --------------------------------------------------------------- handlers

void MainDialog::OnFolderSelected() {
    QTreeWidgetItem* item = tree_->currentItem();
    if (treeMuted_ || item == nullptr || !initialized_) {
        return;
    }
    const std::string path = tree_->GetItemPath(item);
    if (path.empty()) {
        return;
    }
    const int count = ScanFolder(path);
    if (count < 0) {
        return;
    }
    if (OfferUnfinishedRun(path)) {
        RescanAfterProcessing();
        return;
    }
    if (count == 0) {
        AddStatus("No MP3 Files found in this directory.");
        album_.tracks.clear();
        databaseList_->DeleteAllRows();
        return;
    }
    if (settings_->values.autoQuery) {
        QueryCommand();
    } else {
        EnableQuery(true);
        AddStatus("Press \"Query\" button to query CDDB !");
    }
}

void MainDialog::OnFileRowChanged() {
    if (listSyncMuted_) {
        return;
    }
    const std::vector<int> records = SelectedFileRecords();
    if (records.empty()) {
        ClearTagFields();
        EnableTagFields(false);
        return;
    }
    ShowTagFields(SharedTagValues(album_.files, records));
    if (actionCombo_->currentIndex() == kActionTag) {
        EnableTagFields(true);
        EnableExecute(true);
    }
    listSyncMuted_ = true;
    databaseList_->clearSelection();
    for (QTreeWidgetItem* item : fileList_->selectedItems()) {
        const int row = fileList_->indexOfTopLevelItem(item);
        SelectPartnerRows(databaseList_, fileList_->ItemData(row), row, false);
    }
    listSyncMuted_ = false;
}

std::vector<int> MainDialog::SelectedFileRecords() const {
    std::vector<int> records;
    for (QTreeWidgetItem* item : fileList_->selectedItems()) {
        if (const int record = FileRecordOfRow(fileList_->indexOfTopLevelItem(item)); record >= 0) {
            records.push_back(record);
        }
    }
    std::sort(records.begin(), records.end());
    return records;
}

void MainDialog::OnDatabaseRowChanged() {
    const QList<QTreeWidgetItem*> selected = databaseList_->selectedItems();
    if (selected.isEmpty() || listSyncMuted_) {
        return;
    }
    const int row = databaseList_->indexOfTopLevelItem(selected.front());
    listSyncMuted_ = true;
    SelectPartnerRows(fileList_, databaseList_->ItemData(row), row);
    listSyncMuted_ = false;
}

void MainDialog::OnActionChanged(int index) {
    if (index == kActionRename) {
        executeButton_->setText(QString::fromUtf8(kRenameCaption));
        formatCombo_->setEnabled(true);
        EnableTagFields(false);
        return;
    }
    if (index == kActionUndo) {
        executeButton_->setText(QString::fromUtf8(kUndoCaption));
        formatCombo_->setEnabled(false);
        EnableTagFields(false);
        EnableExecute(FindRun(album_.folder).CanUndo());
        return;
    }
    if (index != kActionTag) {
        return;
    }
    executeButton_->setText(QString::fromUtf8(kTagCaption));
    formatCombo_->setEnabled(false);
    if (SelectedFileRow() >= 0) {
        EnableTagFields(true);
        EnableExecute(true);
    } else {
        EnableTagFields(false);
    }
}

void MainDialog::OnExecute() {
    const int action = actionCombo_->currentIndex();
    if (action == kActionUndo) {
        UndoLastRun();
        return;
    }
    if (fileList_->RowCount() == 0 || !mp3Info_) {
        return;
    }
    if (action == kActionTag) {
        SaveTag();
        return;
    }
    if (action != kActionRename || databaseList_->RowCount() == 0) {
        return;
    }
    if (const std::size_t mismatches = CountLengthMismatches(); mismatches > 0) {
        const std::string question = LengthMismatchText(mismatches) +
                                     ": the marked tracks may not belong to their files.\n\n"
                                     "Rename the files all the same?";
        if (!ConfirmProcessing(FromUtf8(question))) {
            AddStatus("Operation cancelled.");
            return;
        }
    }
    RescanAfterProcessing(RunProcessing());
}

void MainDialog::SaveTag() {
    const std::vector<int> records = SelectedFileRecords();
    if (records.size() > 1) {
        SaveTagOfSeveralFiles(records);
        return;
    }
    const TagSaveResult result = SaveTagOfSelectedFile(
        album_.files, FileRecordOfRow(SelectedFileRow()), TypedTagFields(), *mp3Info_);
    if (result.outcome == TagSaveOutcome::kNoSelection) {
        return;
    }
    if (result.outcome == TagSaveOutcome::kSaved) {
        FillFileList();
        // Keep the file in view and its fields shown, as before the save; the list now shows
        // each record in its own row.
        listSyncMuted_ = true;
        if (QTreeWidgetItem* item = fileList_->topLevelItem(result.record)) {
            fileList_->setCurrentItem(item);
        }
        listSyncMuted_ = false;
        ShowTagFields(album_.files[static_cast<std::size_t>(result.record)]);
        EnableTagFields(true);
    }
    AddStatus(TagSaveStatusText(result, album_.files));
}

TagFields MainDialog::TypedTagFields() const {
    TagFields fields;
    fields.artist = ToUtf8(artistEdit_->text());
    fields.album = ToUtf8(albumEdit_->text());
    fields.year = ToUtf8(yearEdit_->text());
    fields.comment = ToUtf8(commentEdit_->text());
    fields.genre = ToUtf8(genreCombo_->currentText());
    return fields;
}

void MainDialog::SaveTagOfSeveralFiles(const std::vector<int>& records) {
    const std::vector<TagSaveResult> results =
        SaveTagOfFiles(album_.files, records, TypedTagFields(), *mp3Info_);
    for (const TagSaveResult& result : results) {
        if (result.outcome != TagSaveOutcome::kSaved) {
            AddStatus(TagSaveStatusText(result, album_.files));
        }
    }
    FillFileList();
    // The same files stay selected, now in name order.
    listSyncMuted_ = true;
    for (const int record : records) {
        if (QTreeWidgetItem* item = fileList_->topLevelItem(record)) {
            item->setSelected(true);
        }
    }
    listSyncMuted_ = false;
    OnFileRowChanged();
    AddStatus(TagSaveCountText(results));
}

std::string MainDialog::RunProcessing() {
    if (!processing_) {
        processing_ = std::make_unique<ProcessingDialog>(this);
    }
    // Files and tracks pair by the records their rows carry, however the views are sorted.
    std::vector<int> fileRows;
    std::vector<int> trackRows;
    ViewRows(fileRows, trackRows);
    const SettingsValues& values = settings_->values;
    processing_->SetLists(album_.files, album_.tracks, std::move(fileRows), std::move(trackRows),
                          *mp3Info_);
    processing_->SetOptions(createDirectory_->isChecked(), createPlaylist_->isChecked(),
                            values.moveDependencies);
    if (values.moveDependencies) {
        // The album's other files are found by the words its file names share.
        const std::string words = ConvertCase(BuildSearchWords(album_.files, 90), kCaseUpper);
        processing_->SetDependencyOptions(words, values.confirmDependencies);
    }
    DependenciesDialogChooser chooser(this);
    DependencyMover dependencies(&chooser);
    processing_->SetDependencyStep(&dependencies);
    processing_->exec();
    processing_->SetDependencyStep(nullptr);
    AddStatus(processing_->SummaryText());
    const Plan& plan = processing_->ThePlan();
    return plan.dirName.empty() ? std::string() : plan.albumFolder + plan.dirName;
}

// ------------------------------------------------------------- run journal

namespace {

// The status list shows what went wrong while a run is finished or undone.
class StatusProblems : public ProcessingLog {
public:
    explicit StatusProblems(LookupView& view) : view_(view) {}
    void Log(const std::string&) override {}
    void LogProblem(const std::string& text) override { view_.AddStatus(text); }

private:
    LookupView& view_;
};

std::string RecoveryStatus(bool undone, int problems) {
    const std::string done = undone ? "The last run is undone" : "The last run is finished";
    if (problems <= 0) {
        return done + ".";
    }
    return done + ", but " + std::to_string(problems) +
           (undone ? " could not be put back." : " failed.");
}

}  // namespace

int MainDialog::AskUnfinishedRun(bool canFinish) {
    QMessageBox box(QMessageBox::Question, windowTitle(),
                    tr("The last run in this folder was not finished. Finish it, or undo what it "
                       "did?"),
                    QMessageBox::NoButton, this);
    QPushButton* finish =
        canFinish ? box.addButton(tr("Finish"), QMessageBox::AcceptRole) : nullptr;
    QPushButton* undo = box.addButton(tr("Undo"), QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == undo ? kUndoRun : box.clickedButton() == finish ? kFinishRun : 0;
}

bool MainDialog::OfferUnfinishedRun(const std::string& folder) {
    const FoundRun run = FindRun(folder);
    if (!run.Unfinished() || !mp3Info_) {
        return false;
    }
    const int choice = AskUnfinishedRun(run.stage == RunStage::kRunning);
    if (choice != kFinishRun && choice != kUndoRun) {
        return false;
    }
    StatusProblems log(*this);
    SetBusy(true);
    const int problems = choice == kUndoRun ? UndoRun(run.albumFolder, log)
                                            : ResumeRun(run.albumFolder, *mp3Info_, log);
    SetBusy(false);
    AddStatus(RecoveryStatus(choice == kUndoRun, problems));
    return true;
}

void MainDialog::UndoLastRun() {
    const FoundRun run = FindRun(album_.folder);
    if (!run.CanUndo()) {
        AddStatus("There is no run to undo in this folder.");
        return;
    }
    StatusProblems log(*this);
    SetBusy(true);
    const int problems = UndoRun(run.albumFolder, log);
    SetBusy(false);
    AddStatus(RecoveryStatus(true, problems));
    RescanAfterProcessing();
    EnableExecute(false);
}

void MainDialog::RescanAfterProcessing(const std::string& albumDirectory) {
    std::string selectedPath = tree_->GetItemPath(tree_->currentItem());
    // After a run the new album directory is where the user looks next.
    if (!albumDirectory.empty() && IsDirectory(albumDirectory)) {
        selectedPath = albumDirectory;
    }
    treeMuted_ = true;
    tree_->Refresh();
    // The user's folder stays selected, or the new album directory is.
    if (!selectedPath.empty() && tree_->GetItemPath(tree_->currentItem()) != selectedPath) {
        tree_->SelectPath(selectedPath);
    }
    treeMuted_ = false;
    std::string folder = tree_->GetItemPath(tree_->currentItem());
    if (folder.empty()) {
        folder = album_.folder;
    }
    ScanFolder(folder);
}

void MainDialog::QueryCommand() {
    workflow_.QueryCommand();
    if (const std::size_t mismatches = CountLengthMismatches(); mismatches > 0) {
        AddStatus(LengthMismatchText(mismatches) + ": check the marked rows.");
    }
}

void MainDialog::OnServerChanged() {
    if (settings_) {
        workflow_.Configure(settings_->values);
    }
    workflow_.OnServerChanged();
}

void MainDialog::OnFormatChanged() {
    if (formatBox_.SelectedText() == kMoreFormatsItem) {
        FormatEditorDialog editor(nameFormats_, formatBox_, this);
        RunFormatEditor(editor, nameFormats_.TemplateForName(formatName_));
        nameFormats_.StoreNameFormats(settings_->values);
        // Escape leaves " More..." selected: the template in use stays.
        if (const std::string chosen = formatBox_.SelectedText();
            chosen.empty() || chosen == kMoreFormatsItem) {
            formatBox_.SelectPrefix(formatName_);
        }
    }
    formatName_ = formatBox_.SelectedText();
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
    SettingsValues& values = settings_->values;
    if (!values.lastFolder.empty()) {
        const std::string folder = tree_->GetItemPath(tree_->currentItem());
        values.lastFolder = folder.empty() ? "-" : folder;
    }
    values.createPlaylist = createPlaylist_->isChecked();
    values.createDirectory = createDirectory_->isChecked();
    // The size is stored at every close; a maximised window keeps the size it had before.
    const bool maximized = isMaximized();
    if (!maximized) {
        values.windowWidth = width();
        values.windowHeight = height();
    }
    values.windowMaximized = maximized;
    values.nameFormat = nameFormats_.CurrentTemplate();
    settings_->SaveToIni();
}

}  // namespace corvane
