#include "association/AssociationDialog.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include "album/TrackListColumns.h"
#include "association/ListBoxExCtrl.h"
#include "association/MoveButtonBarCtrl.h"
#include "widgets/Artwork.h"
#include "widgets/SortListCtrl.h"

namespace corvane {

namespace {

constexpr const char* kHelpText =
    "Use the list to associate the MP3 files with their correct names. \nMove each item and place "
    "it in front of the correct title. \nPress OK when you are done, press Cancel to abort the "
    "operation.";

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void FillList(CListBoxEx* list, const RowList& rows) {
    list->clear();
    for (const ListRow& row : rows) {
        auto* item = new QListWidgetItem(FromUtf8(row.text), list);
        item->setData(AssociationDialog::kRecordRole, row.record);
        item->setData(AssociationDialog::kQualityRole, row.data);
    }
}

}  // namespace

AssociationDialog::AssociationDialog(QWidget* parent)
    : ResizableDialog(parent),
      buttonBar_(new CMoveButtonBar(tr("  Select the arrows to move an item"), this)),
      autoButton_(new QPushButton(tr("&Auto"), this)),
      manualButton_(new QPushButton(tr("&Manual"), this)),
      fileList_(new CListBoxEx(this)),
      titleList_(new CListBoxEx(this)),
      scrollBar_(new QScrollBar(Qt::Vertical, this)),
      cancelButton_(new QPushButton(tr("&Cancel"), this)),
      okButton_(new QPushButton(tr("&OK"), this)) {
    setWindowTitle(tr("MP3 Files/Song Titles Association"));
    setWindowIcon(ArtworkIcon(artwork::kAppIcon));

    // The layout is drawn in dialog units: a quarter of the average
    // character width across, an eighth of the line height down.
    const QFontMetrics metrics(font());
    const int unitX = std::max(1, metrics.averageCharWidth());
    const int unitY = std::max(1, metrics.height());
    const auto place = [&](QWidget* control, int x, int y, int w, int h) {
        control->setGeometry(x * unitX / 4, y * unitY / 8, w * unitX / 4, h * unitY / 8);
    };
    resize(399 * unitX / 4, 221 * unitY / 8);

    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    auto* filesHeading = new QLabel(tr("Filenames"), this);
    auto* titlesHeading = new QLabel(tr("CDDB Information"), this);
    for (QLabel* heading : {filesHeading, titlesHeading}) {
        heading->setAlignment(Qt::AlignCenter);
    }
    auto* help = new QLabel(tr(kHelpText), this);
    help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Its lines were measured for a narrower font than the dialog's.
    QFont helpFont = help->font();
    helpFont.setPointSizeF(helpFont.pointSizeF() * 0.85);
    help->setFont(helpFont);
    auto* decoration = new QLabel(this);
    decoration->setScaledContents(true);
    decoration->setPixmap(ArtworkPixmap(
        artwork::kAssociation, QSize(121 * unitX / 4, 17 * unitY / 8), devicePixelRatioF()));

    for (QPushButton* button : {autoButton_, manualButton_}) {
        button->setCheckable(true);
        button->setAutoExclusive(true);
        button->setFlat(true);
        button->setAutoDefault(false);
    }
    cancelButton_->setAutoDefault(false);
    okButton_->setDefault(true);
    for (CListBoxEx* list : {fileList_, titleList_}) {
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }

    place(buttonBar_, 2, 3, 203, 17);
    place(autoButton_, 206, 3, 33, 17);
    place(manualButton_, 240, 3, 33, 17);
    place(filesHeading, 2, 20, 203, 12);
    place(titlesHeading, 206, 20, 190, 12);
    place(frame, 1, 35, 395, 156);
    place(fileList_, 4, 37, 203, 152);
    place(titleList_, 206, 37, 177, 152);
    place(scrollBar_, 384, 37, 10, 152);
    place(cancelButton_, 234, 200, 68, 16);
    place(okButton_, 310, 200, 68, 16);
    place(help, 2, 194, 230, 27);
    place(decoration, 274, 3, 121, 17);
    frame->lower();

    AddAnchor(buttonBar_, TopLeft, TopCenter);
    AddAnchor(autoButton_, TopCenter);
    AddAnchor(manualButton_, TopCenter);
    AddAnchor(decoration, TopRight);
    AddAnchor(filesHeading, TopLeft, TopCenter);
    AddAnchor(titlesHeading, TopCenter, TopRight);
    AddAnchor(frame, TopLeft, BottomRight);
    AddAnchor(fileList_, TopLeft, BottomCenter);
    AddAnchor(titleList_, TopCenter, BottomRight);
    AddAnchor(scrollBar_, TopRight, BottomRight);
    AddAnchor(help, BottomLeft);
    AddAnchor(cancelButton_, BottomRight);
    AddAnchor(okButton_, BottomRight);
    ShowSizeGrip(true);

    connect(autoButton_, &QPushButton::clicked, this, [this] {
        if (autoButton_->isChecked()) {
            AutoAssociate();
        }
    });
    connect(manualButton_, &QPushButton::clicked, this, [this] {
        if (manualButton_->isChecked()) {
            ManualAssociate();
        }
    });
    connect(fileList_, &CListBoxEx::rowMoved, this, &AssociationDialog::SelectTitleRow);
    // The selection of one list follows the other, both ways.
    connect(fileList_, &QListWidget::currentRowChanged, this,
            [this](int row) { titleList_->setCurrentRow(row); });
    connect(titleList_, &QListWidget::currentRowChanged, this,
            [this](int row) { fileList_->setCurrentRow(row); });
    connect(scrollBar_, &QScrollBar::valueChanged, this, &AssociationDialog::ScrollBoth);
    for (CListBoxEx* list : {fileList_, titleList_}) {
        connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this,
                &AssociationDialog::ScrollBoth);
    }
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

AssociationDialog::~AssociationDialog() = default;

void AssociationDialog::SetSources(const TrackList& files, const TrackList& tracks,
                                   SortListCtrl* fileListView, SortListCtrl* databaseListView) {
    files_ = &files;
    tracks_ = &tracks;
    fileView_ = fileListView;
    databaseView_ = databaseListView;
}

void AssociationDialog::Prepare() {
    fileList_->clear();
    titleList_->clear();
    unplaced_.clear();
    buttonBar_->SetTarget(fileList_);
    titleList_->EnableMove(false);
    fileList_->SetPartner(titleList_);
    autoButton_->setChecked(true);
    AutoAssociate();
    SetUpScrollBar();
}

bool AssociationDialog::Run() {
    Prepare();
    return exec() == QDialog::Accepted;
}

void AssociationDialog::AutoAssociate() {
    if (files_ == nullptr || tracks_ == nullptr) {
        return;
    }
    Association association(*files_, *tracks_);
    association.AutoAssociate();
    ShowRows(association);
}

void AssociationDialog::ManualAssociate() {
    if (files_ == nullptr || tracks_ == nullptr) {
        return;
    }
    Association association(*files_, *tracks_);
    association.ManualAssociate();
    ShowRows(association);
}

void AssociationDialog::ShowRows(const Association& association) {
    FillList(fileList_, association.FileRows());
    FillList(titleList_, association.TitleRows());
    unplaced_ = association.UnplacedLines();
    ScrollBoth(scrollBar_->value());
}

void AssociationDialog::SetUpScrollBar() {
    const int last = titleList_->count() - 1;
    scrollBar_->setRange(0, last < kPageRows ? 0 : last);
    scrollBar_->setPageStep(kPageRows);
    scrollBar_->setSingleStep(1);
    scrollBar_->setValue(0);
    scrollBar_->setEnabled(scrollBar_->maximum() > 0);
    ScrollBoth(0);
}

void AssociationDialog::ScrollBoth(int firstRow) {
    if (scrolling_) {
        return;
    }
    scrolling_ = true;
    for (QScrollBar* bar :
         {scrollBar_, fileList_->verticalScrollBar(), titleList_->verticalScrollBar()}) {
        bar->setValue(firstRow);
    }
    scrolling_ = false;
}

void AssociationDialog::SelectTitleRow(int row) {
    if (row < 0) {
        titleList_->clearSelection();
        return;
    }
    titleList_->setCurrentRow(row);
}

RowList AssociationDialog::RowsOf(const CListBoxEx* list) const {
    RowList rows;
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem* item = list->item(row);
        rows.push_back({item->text().toStdString(), item->data(kQualityRole).toInt(),
                        item->data(kRecordRole).toInt()});
    }
    return rows;
}

void AssociationDialog::ApplyAssociation() {
    if (files_ == nullptr || tracks_ == nullptr || fileView_ == nullptr ||
        databaseView_ == nullptr) {
        return;
    }
    fileView_->DeleteAllRows();
    databaseView_->DeleteAllRows();
    const QIcon trackImage = ArtworkIcon(artwork::kGroupCddb);
    for (const AssociatedPair& pair :
         AssociatedPairs(RowsOf(fileList_), RowsOf(titleList_), *files_, *tracks_)) {
        const TrackInfo& file = (*files_)[static_cast<std::size_t>(pair.file)];
        const TrackInfo& track = (*tracks_)[static_cast<std::size_t>(pair.track)];
        QStringList fileTexts;
        for (int column = 0; column < kFileListColumnCount; ++column) {
            fileTexts << FromUtf8(FileListColumnText(file, column));
        }
        QStringList trackTexts;
        for (int column = 0; column < kDatabaseListColumnCount; ++column) {
            trackTexts << FromUtf8(DatabaseListColumnText(track, column));
        }
        // The rows carry their record indexes, as everywhere in the window.
        const int fileRow = fileView_->InsertRow(fileView_->RowCount(), fileTexts);
        fileView_->SetItemData(fileRow, pair.file);
        const int trackRow =
            databaseView_->InsertRow(databaseView_->RowCount(), trackTexts, trackImage);
        databaseView_->SetItemData(trackRow, pair.track);
    }
    // The row order now carries the pairing: a sort must not undo it.
    for (SortListCtrl* view : {fileView_, databaseView_}) {
        view->EnableSorting(false);
        view->FlatHeader()->SetSortColumn(-1, true);
    }
}

void AssociationDialog::accept() {
    ApplyAssociation();
    ResizableDialog::accept();
}

}  // namespace corvane
