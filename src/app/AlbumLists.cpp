#include "app/AlbumLists.h"

#include <QStyle>
#include <algorithm>
#include <set>

#include "album/TrackListColumns.h"
#include "naming/NameFormatList.h"
#include "components/SettingsValues.h"
#include "widgets/Artwork.h"
#include "widgets/SortListCtrl.h"

namespace corvane {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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

// Sets a flag for the life of a scope.
class Muted {
public:
    explicit Muted(bool& flag) : flag_(flag) { flag_ = true; }
    ~Muted() { flag_ = false; }
    Muted(const Muted&) = delete;
    Muted& operator=(const Muted&) = delete;

private:
    bool& flag_;
};

}  // namespace

AlbumLists::AlbumLists(AlbumFolder& album, NameFormatList& nameFormats, SortListCtrl* fileList,
                       SortListCtrl* databaseList, QObject* parent)
    : QObject(parent),
      album_(album),
      nameFormats_(nameFormats),
      fileList_(fileList),
      databaseList_(databaseList) {
    connect(fileList_, &SortListCtrl::rowsSorted, this,
            [this] { LineUpRows(fileList_, databaseList_); });
    connect(databaseList_, &SortListCtrl::rowsSorted, this,
            [this] { LineUpRows(databaseList_, fileList_); });
}

void AlbumLists::FillFileList() {
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
}

void AlbumLists::FillDatabaseList() {
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

void AlbumLists::ClearDatabaseList() {
    databaseList_->DeleteAllRows();
}

void AlbumLists::ApplyColumnVisibility(const SettingsValues& values) {
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

void AlbumLists::KeepRowPairing() {
    rowPairing_ = true;
    MarkLengthMismatches();
}

void AlbumLists::LineUpRows(SortListCtrl* leader, SortListCtrl* follower) {
    const Muted muted(syncMuted_);
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
}

void AlbumLists::ViewRows(std::vector<int>& fileRows, std::vector<int>& trackRows) const {
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

std::vector<FileJob> AlbumLists::CurrentPairs() const {
    std::vector<int> fileRows;
    std::vector<int> trackRows;
    ViewRows(fileRows, trackRows);
    return PairRows(album_.files, fileRows, album_.tracks, trackRows);
}

std::size_t AlbumLists::CountLengthMismatches() const {
    return LengthMismatches(CurrentPairs(), album_.files, album_.tracks).size();
}

void AlbumLists::MarkLengthMismatches() {
    const QIcon warning = databaseList_->style()->standardIcon(QStyle::SP_MessageBoxWarning);
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

int AlbumLists::FileRecordOfRow(int row) const {
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

int AlbumLists::SelectedFileRow() const {
    const QList<QTreeWidgetItem*> selected = fileList_->selectedItems();
    return selected.isEmpty() ? -1 : fileList_->indexOfTopLevelItem(selected.front());
}

std::vector<int> AlbumLists::SelectedFileRecords() const {
    std::vector<int> records;
    for (QTreeWidgetItem* item : fileList_->selectedItems()) {
        if (const int record = FileRecordOfRow(fileList_->indexOfTopLevelItem(item)); record >= 0) {
            records.push_back(record);
        }
    }
    std::sort(records.begin(), records.end());
    return records;
}

void AlbumLists::SelectFileRecords(const std::vector<int>& records) {
    const Muted muted(syncMuted_);
    for (const int record : records) {
        if (QTreeWidgetItem* item = fileList_->topLevelItem(record)) {
            item->setSelected(true);
        }
    }
}

void AlbumLists::MakeFileRowCurrent(int row) {
    const Muted muted(syncMuted_);
    if (QTreeWidgetItem* item = fileList_->topLevelItem(row)) {
        fileList_->setCurrentItem(item);
    }
}

void AlbumLists::SelectPartnersOfFiles() {
    const Muted muted(syncMuted_);
    databaseList_->clearSelection();
    for (QTreeWidgetItem* item : fileList_->selectedItems()) {
        const int row = fileList_->indexOfTopLevelItem(item);
        SelectPartnerRows(databaseList_, fileList_->ItemData(row), row, false);
    }
}

void AlbumLists::SelectPartnerOfTrack() {
    const QList<QTreeWidgetItem*> selected = databaseList_->selectedItems();
    if (selected.isEmpty() || syncMuted_) {
        return;
    }
    const int row = databaseList_->indexOfTopLevelItem(selected.front());
    const Muted muted(syncMuted_);
    SelectPartnerRows(fileList_, databaseList_->ItemData(row), row);
}

}  // namespace corvane
