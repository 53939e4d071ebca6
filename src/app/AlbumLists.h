#pragma once

#include <QObject>
#include <vector>

#include "album/AlbumFolder.h"
#include "processing/FilePairing.h"

namespace corvane {

class NameFormatList;
class SortListCtrl;
struct SettingsValues;

// The album's two list views: the folder's files above, the album's tracks
// below, row k of one beside row k of the other. Fills them, keeps each pair
// together when either view is sorted, marks tracks whose length does not
// match their file, and reads the pairs back for the run.
class AlbumLists : public QObject {
    Q_OBJECT

public:
    AlbumLists(AlbumFolder& album, NameFormatList& nameFormats, SortListCtrl* fileList,
               SortListCtrl* databaseList, QObject* parent = nullptr);

    void FillFileList();
    // The track names come from the current name template.
    void FillDatabaseList();
    void ClearDatabaseList();
    void ApplyColumnVisibility(const SettingsValues& values);

    // The association dialog filled the views: row k of one pairs with row
    // k of the other, whatever records they carry, until either is refilled.
    void KeepRowPairing();
    // The record each file row carries, and the track record beside each.
    void ViewRows(std::vector<int>& fileRows, std::vector<int>& trackRows) const;
    // Each file row with its partner, as the processing would take them.
    std::vector<FileJob> CurrentPairs() const;
    std::size_t CountLengthMismatches() const;
    void MarkLengthMismatches();

    // The record index a row of the file list view carries, or -1.
    int FileRecordOfRow(int row) const;
    int SelectedFileRow() const;
    // The file records of the selected rows, in record order.
    std::vector<int> SelectedFileRecords() const;
    // Selects the given file records again after a refill, without the
    // selection handlers running.
    void SelectFileRecords(const std::vector<int>& records);
    void MakeFileRowCurrent(int row);
    // The tracks beside the selected files are selected with them.
    void SelectPartnersOfFiles();
    void SelectPartnerOfTrack();

    // True while the lists move rows themselves: their selection signals are
    // then no user's.
    bool IsSyncMuted() const { return syncMuted_; }

private:
    // The other view takes the leader's order, so that each file faces its track.
    void LineUpRows(SortListCtrl* leader, SortListCtrl* follower);

    AlbumFolder& album_;
    NameFormatList& nameFormats_;
    SortListCtrl* fileList_;
    SortListCtrl* databaseList_;
    bool rowPairing_ = false;
    bool syncMuted_ = false;
};

}  // namespace corvane
