#include "app/MainForm.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "album/TrackListColumns.h"
#include "app/GenreNames.h"
#include "components/SettingsValues.h"
#include "naming/CaseConversion.h"
#include "widgets/Artwork.h"
#include "widgets/CoverBox.h"
#include "widgets/FolderPathBox.h"
#include "widgets/FolderTreeCtrl.h"
#include "widgets/IconButton.h"
#include "widgets/ResizableDialog.h"
#include "widgets/ScreenFit.h"
#include "widgets/SortListCtrl.h"
#include "widgets/SplitterBar.h"
#include "widgets/StatusListCtrl.h"

namespace corvane {

namespace {

constexpr const char* kActionNames[] = {"Rename Files", "ID3 Tag Files", "Undo Last Rename"};
constexpr const char* kExecuteCaptions[] = {"&Rename Files", "&ID3 Tag File", "&Undo Last Rename"};

// The window's size at its first start; the layout below is laid out for it.
constexpr int kWidth = 1060;
constexpr int kHeight = 700;
constexpr int kMargin = 8;
constexpr int kTreeWidth = 240;
constexpr int kBarSize = 5;
constexpr int kStatusHeight = 92;
constexpr int kMinHeight = 520;
constexpr int kIconSize = 16;

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

}  // namespace

MainForm::MainForm(ResizableDialog* window) : window(window) {
    // The page is a dialog of its own so that its controls keep their anchors, embedded as a
    // plain widget.
    page = new ResizableDialog;
    page->setWindowFlags(Qt::Widget);
    scrollArea = new QScrollArea(window);
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setWidgetResizable(true);
    auto* fill = new QVBoxLayout(window);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(scrollArea);

    page->resize(kWidth, kHeight);
    optionsPanel = BuildOptionsPanel();
    // Wider fonts widen the option groups; the window then starts wider too.
    const int width = std::max(kWidth, optionsPanel->minimumSizeHint().width() + 2 * kMargin);
    designSize_ = QSize(width, kHeight);
    page->resize(designSize_);
    window->resize(designSize_);
    optionsPanel->setGeometry(kMargin, kMargin, width - 2 * kMargin,
                              optionsPanel->sizeHint().height());

    pathBox = new FolderPathBox(page);
    tree = new CFolderTreeCtrl(page);
    fileList = new SortListCtrl(page);
    databaseList = new SortListCtrl(page);
    statusList = new StatusListCtrl(page);
    verticalPlaceholder_ = new QWidget(page);
    horizontalPlaceholder_ = new QWidget(page);
    // Several files can be tagged at once; the tracks only follow the files.
    fileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    databaseList->setSelectionMode(QAbstractItemView::SingleSelection);
    PlacePanes(width);
    scrollArea->setWidget(page);
}

void MainForm::PlacePanes(int width) {
    const int top = optionsPanel->geometry().bottom() + 1 + kMargin;
    const int statusTop = kHeight - kMargin - kStatusHeight;
    const int bottom = statusTop - kMargin;
    const int listsLeft = kMargin + kTreeWidth + kBarSize + 2;
    const int listsWidth = width - kMargin - listsLeft;
    const int middle = top + (bottom - top) / 2;
    const int boxHeight = pathBox->sizeHint().height();
    pathBox->setGeometry(kMargin, top, kTreeWidth, boxHeight);
    const int treeTop = top + boxHeight + kBarSize;
    tree->setGeometry(kMargin, treeTop, kTreeWidth, bottom - treeTop);
    verticalPlaceholder_->setGeometry(kMargin + kTreeWidth + 1, top, kBarSize, bottom - top);
    fileList->setGeometry(listsLeft, top, listsWidth, middle - top - 1);
    horizontalPlaceholder_->setGeometry(listsLeft, middle, listsWidth, kBarSize);
    databaseList->setGeometry(listsLeft, middle + kBarSize + 1, listsWidth,
                              bottom - middle - kBarSize - 1);
    statusList->setGeometry(kMargin, statusTop, width - 2 * kMargin, kStatusHeight);
}

QWidget* MainForm::BuildOptionsPanel() {
    auto* panel = new QWidget(page);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kMargin);
    row->addWidget(BuildStandardOptions(panel), 3);
    row->addWidget(BuildTagInfo(panel), 4);
    row->addWidget(BuildExtendedOptions(panel), 3);

    formatBox.SetBox(formatCombo);
    caseBox.SetBox(caseCombo);
    serverBox.SetBox(serverCombo);
    genreBox.SetBox(genreCombo);
    // A box narrower than its entry still tells it in full.
    for (QComboBox* combo : {formatCombo, serverCombo, genreCombo}) {
        QObject::connect(combo, &QComboBox::currentTextChanged, combo,
                         [combo](const QString& text) { combo->setToolTip(text); });
    }
    return panel;
}

// Standard Options: what Execute does and how the new names look.
QWidget* MainForm::BuildStandardOptions(QWidget* panel) {
    auto* standard = new QGroupBox(tr("Standard Options"), panel);
    auto* grid = new QGridLayout(standard);
    actionCombo = new QComboBox(standard);
    formatCombo = new QComboBox(standard);
    caseCombo = new QComboBox(standard);
    queryButton = MakeButton(tr("&Query"), artwork::kQuery, standard);
    executeButton = MakeButton(ExecuteCaption(kActionRename), artwork::kExecute, standard);
    for (QComboBox* combo : {actionCombo, formatCombo, caseCombo}) {
        combo->setMinimumWidth(120);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
    grid->addWidget(GroupIcon(artwork::kGroupOptions, standard), 0, 0, Qt::AlignTop);
    grid->addWidget(Label(tr("Action"), actionCombo), 0, 1);
    grid->addWidget(actionCombo, 0, 2);
    // The name format takes the whole row, so that a format of several keywords shows whole.
    grid->addWidget(Label(tr("Name Format"), formatCombo), 1, 1);
    grid->addWidget(formatCombo, 1, 2, 1, 2);
    grid->addWidget(Label(tr("Convert Case"), caseCombo), 2, 1);
    grid->addWidget(caseCombo, 2, 2);
    grid->addWidget(queryButton, 0, 3);
    grid->addWidget(executeButton, 2, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    // Wide enough for the longest caption of any action, beside the icon.
    int captionWidth = 0;
    for (const QString& caption : {ExecuteCaption(kActionRename), ExecuteCaption(kActionTag),
                                   ExecuteCaption(kActionUndo), kSeveralFilesTagCaption}) {
        captionWidth = std::max(captionWidth, executeButton->fontMetrics().horizontalAdvance(
                                                  QString(caption).remove(QLatin1Char('&'))));
    }
    for (IconButton* button : {queryButton, executeButton}) {
        button->setMinimumWidth(captionWidth + kIconSize + 4 * IconButton::kMargin +
                                IconButton::kGap);
    }
    // A longer name format than the box shows is told whole in the drop-down.
    formatCombo->view()->setTextElideMode(Qt::ElideNone);
    return standard;
}

// Rename / Tag Info: the fields "ID3 Tag Files" writes, and the cover.
QWidget* MainForm::BuildTagInfo(QWidget* panel) {
    auto* tags = new QGroupBox(tr("Rename / Tag Info"), panel);
    auto* form = new QGridLayout(tags);
    titleEdit = new QLineEdit(tags);
    artistEdit = new QLineEdit(tags);
    albumArtistEdit = new QLineEdit(tags);
    albumEdit = new QLineEdit(tags);
    trackEdit = new QLineEdit(tags);
    discEdit = new QLineEdit(tags);
    yearEdit = new QLineEdit(tags);
    const int numberWidth = yearEdit->fontMetrics().horizontalAdvance(QStringLiteral("00/00")) + 10;
    for (QLineEdit* number : {trackEdit, discEdit, yearEdit}) {
        number->setFixedWidth(numberWidth);
    }
    trackEdit->setPlaceholderText(QStringLiteral("3/12"));
    discEdit->setPlaceholderText(QStringLiteral("1/2"));
    genreCombo = new QComboBox(tags);
    genreCombo->setEditable(true);
    genreCombo->setInsertPolicy(QComboBox::NoInsert);
    genreCombo->setMinimumWidth(110);
    commentEdit = new QLineEdit(tags);
    coverBox = new CoverBox(tags);
    form->addWidget(GroupIcon(artwork::kGroupTags, tags), 0, 0, Qt::AlignTop);
    form->addWidget(Label(tr("Title"), titleEdit), 0, 1);
    form->addWidget(titleEdit, 0, 2, 1, 3);
    form->addWidget(Label(tr("Artist"), artistEdit), 1, 1);
    form->addWidget(artistEdit, 1, 2, 1, 3);
    form->addWidget(Label(tr("Album Artist"), albumArtistEdit), 2, 1);
    form->addWidget(albumArtistEdit, 2, 2, 1, 3);
    form->addWidget(Label(tr("Album"), albumEdit), 3, 1);
    form->addWidget(albumEdit, 3, 2, 1, 3);
    form->addWidget(Label(tr("Track"), trackEdit), 4, 1);
    form->addWidget(trackEdit, 4, 2);
    form->addWidget(Label(tr("Disc"), discEdit), 4, 3, Qt::AlignRight);
    form->addWidget(discEdit, 4, 4, Qt::AlignLeft);
    // The cover beside the fields; the genre and the comments reach under it.
    form->addWidget(coverBox, 0, 5, 5, 1, Qt::AlignTop);
    form->addWidget(Label(tr("Year"), yearEdit), 5, 1);
    form->addWidget(yearEdit, 5, 2);
    form->addWidget(Label(tr("Genre"), genreCombo), 5, 3, Qt::AlignRight);
    form->addWidget(genreCombo, 5, 4, 1, 2);
    form->addWidget(Label(tr("Comments"), commentEdit), 6, 1);
    form->addWidget(commentEdit, 6, 2, 1, 4);
    form->setColumnStretch(4, 1);
    return tags;
}

// Extended Options: what else processing does, and where lookups go.
QWidget* MainForm::BuildExtendedOptions(QWidget* panel) {
    auto* extended = new QGroupBox(tr("Extended Options"), panel);
    auto* more = new QGridLayout(extended);
    createDirectory = new QCheckBox(tr("Create Directory"), extended);
    createPlaylist = new QCheckBox(tr("Create Playlist (M3U)"), extended);
    serverCombo = new QComboBox(extended);
    serverCombo->setMinimumWidth(128);
    serverCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    settingsButton = MakeButton(tr("&Settings"), artwork::kSettings, extended);
    aboutButton = MakeButton(QString(), artwork::kAbout, extended);
    aboutButton->setToolTip(tr("About Corvane MP3"));
    aboutButton->setFixedWidth(36);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(settingsButton, 1);
    buttons->addWidget(aboutButton);
    more->addWidget(GroupIcon(artwork::kGroupExtended, extended), 0, 0, Qt::AlignTop);
    more->addWidget(createDirectory, 0, 1, 1, 2);
    more->addWidget(createPlaylist, 1, 1, 1, 2);
    more->addWidget(Label(tr("Server"), serverCombo), 2, 1);
    more->addWidget(serverCombo, 2, 2);
    more->addLayout(buttons, 3, 1, 1, 2);
    // A whole music folder, album after album.
    libraryButton = MakeButton(tr("&Library..."), artwork::kGroupFolders, extended);
    libraryButton->setToolTip(tr("Put every album under a folder in order"));
    more->addWidget(libraryButton, 4, 1, 1, 2);
    more->setColumnStretch(2, 1);
    return extended;
}

void MainForm::SetUpLayout(bool showStatusList) {
    // The controls stand where they were placed for this size; the scroll area may have
    // resized the page since, and the anchors are taken from this size.
    page->resize(designSize_);
    if (!showStatusList) {
        // The tree and the lower list take the status list's room.
        const int grow = statusList->viewport()->height() + 5;
        statusList->hide();
        tree->resize(tree->width(), tree->height() + grow);
        verticalPlaceholder_->resize(verticalPlaceholder_->width(),
                                     verticalPlaceholder_->height() + grow);
        databaseList->resize(databaseList->width(), databaseList->height() + grow);
    }

    verticalBar = new VerticalSplitterBar(page);
    verticalBar->Bind(verticalPlaceholder_, 1050);
    verticalBar->SetMinSizes(kMinPaneSize, kMinPaneSize);
    verticalBar->AttachFirstPane(pathBox);
    verticalBar->AttachFirstPane(tree);
    verticalBar->AttachSecondPane(fileList);
    verticalBar->AttachSecondPane(databaseList);
    horizontalBar = new HorizontalSplitterBar(page);
    horizontalBar->Bind(horizontalPlaceholder_, 1051);
    horizontalBar->SetMinSizes(kMinPaneSize, kMinPaneSize);
    horizontalBar->AttachFirstPane(fileList);
    horizontalBar->AttachSecondPane(databaseList);
    verticalBar->AttachSecondPane(horizontalBar);

    // The option groups stretch sideways; everything else follows the
    // anchors of the classic layout.
    page->AddAnchor(optionsPanel, TopLeft, TopRight);
    page->AddAnchor(statusList, BottomLeft, BottomRight);
    page->AddAnchor(pathBox, TopLeft, TopLeft);
    page->AddAnchor(tree, TopLeft, BottomLeft);
    page->AddAnchor(fileList, TopLeft, MiddleRight);
    page->AddAnchor(databaseList, MiddleLeft, BottomRight);
    page->AddAnchor(verticalBar, TopLeft, BottomLeft);
    page->AddAnchor(horizontalBar, MiddleLeft, MiddleRight);
    page->ShowSizeGrip(false);
    window->ShowSizeGrip(false);
    page->FinishSetup();
    page->SetUseMinTrack(false);
    page->setMinimumSize(MinimumPageSize());
}

void MainForm::ReAnchorPanes() {
    page->ReAnchor(pathBox, TopLeft, TopLeft);
    page->ReAnchor(tree, TopLeft, BottomLeft);
    page->ReAnchor(fileList, TopLeft, MiddleRight);
    page->ReAnchor(databaseList, MiddleLeft, BottomRight);
    page->ReAnchor(verticalBar, TopLeft, BottomLeft);
    page->ReAnchor(horizontalBar, MiddleLeft, MiddleRight);
}

void MainForm::SetUpListHeaders() {
    QStringList headers;
    for (const ListColumn& column : kFileListColumns) {
        headers << QString::fromUtf8(column.header);
    }
    fileList->setHeaderLabels(headers);
    fileList->headerItem()->setIcon(0, ArtworkIcon(artwork::kGroupFiles));
    fileList->SetEmptyText(QString::fromUtf8(kEmptyFileListText));

    headers.clear();
    for (const ListColumn& column : kDatabaseListColumns) {
        headers << QString::fromUtf8(column.header);
    }
    databaseList->setHeaderLabels(headers);
    databaseList->headerItem()->setIcon(0, ArtworkIcon(artwork::kGroupCddb));
    databaseList->SetEmptyText(QString::fromUtf8(kEmptyDatabaseListText));

    tree->setHeaderLabel(tr("Folders"));
    tree->headerItem()->setIcon(0, ArtworkIcon(artwork::kGroupFolders));
}

void MainForm::FillActionAndCaseCombos() {
    actionCombo->clear();
    for (const char* name : kActionNames) {
        actionCombo->addItem(QString::fromUtf8(name));
    }
    actionCombo->setCurrentIndex(kActionRename);
    executeButton->setText(ExecuteCaption(kActionRename));

    caseCombo->clear();
    for (const char* mode : kCaseModes) {
        caseCombo->addItem(QString::fromUtf8(mode));
    }
    caseCombo->setCurrentIndex(0);
}

void MainForm::FillGenreCombo() {
    genreCombo->clear();
    for (const char* genre : kGenreNames) {
        genreBox.AddSorted(genre);
    }
    genreCombo->setCurrentIndex(-1);
}

void MainForm::RestoreFrom(const SettingsValues& values) {
    createPlaylist->setChecked(values.createPlaylist);
    createDirectory->setChecked(values.createDirectory);
    // Smaller than the first size is fine as long as the option groups fit:
    // the panes keep their own minimum through the splitter bars. A smaller
    // screen gets a smaller window that scrolls its page.
    window->SetUseMinTrack(false);
    window->setMinimumSize(MinimumPageSize().boundedTo(AvailableScreenSize(*window)));
    if (values.windowWidth > 0 && values.windowHeight > 0) {
        window->resize(values.windowWidth, values.windowHeight);
    }
    FitIntoScreen(*window);
    if (values.windowMaximized) {
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    }
}

void MainForm::StoreInto(SettingsValues& values) const {
    if (!values.lastFolder.empty()) {
        const std::string folder = tree->GetItemPath(tree->currentItem());
        values.lastFolder = folder.empty() ? "-" : folder;
    }
    values.createPlaylist = createPlaylist->isChecked();
    values.createDirectory = createDirectory->isChecked();
    const bool maximized = window->isMaximized();
    if (!maximized) {
        values.windowWidth = window->width();
        values.windowHeight = window->height();
    }
    values.windowMaximized = maximized;
    values.caseMode = caseBox.SelectedText();
}

QSize MainForm::MinimumPageSize() const {
    return {optionsPanel->minimumSizeHint().width() + 2 * kMargin, kMinHeight};
}

QString MainForm::ExecuteCaption(int action) {
    const int index = action >= kActionRename && action <= kActionUndo ? action : kActionRename;
    return QString::fromUtf8(kExecuteCaptions[index]);
}

}  // namespace corvane
