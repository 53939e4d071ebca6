#pragma once

#include <memory>
#include <string>
#include <vector>

#include "album/TrackInfo.h"
#include "association/Association.h"
#include "widgets/ResizableDialog.h"

class QLabel;
class QPushButton;
class QScrollBar;

namespace corvane {

class CListBoxEx;
class CMoveButtonBar;
class SortListCtrl;

// Shows the album's files beside the album's titles, row against row, so
// that the user can check and correct which file gets which title before
// anything is renamed. On OK the pairing goes back into the main window's
// two list views as their row order.
class AssociationDialog : public ResizableDialog {
    Q_OBJECT

public:
    // Rows the shared scroll bar moves by a page.
    static constexpr int kPageRows = 15;
    // Item data roles of the list rows: the record index (-1 for a blank
    // row) and the quality of the match.
    static constexpr int kRecordRole = Qt::UserRole;
    static constexpr int kQualityRole = Qt::UserRole + 1;

    explicit AssociationDialog(QWidget* parent = nullptr);
    ~AssociationDialog() override;

    // The four sources, none owned; set right before each showing.
    void SetSources(const TrackList& files, const TrackList& tracks, SortListCtrl* fileListView,
                    SortListCtrl* databaseListView);
    // Empties and refills the dialog as at its opening: "&Auto" checked.
    void Prepare();
    // Prepare, then the modal run: true when the user pressed OK.
    bool Run();

    void AutoAssociate();
    void ManualAssociate();
    // Writes the pairing into the two list views, row against row, and
    // turns off their sorting by column click.
    void ApplyAssociation();

    // The title list selects `row`; -1 clears its selection.
    void SelectTitleRow(int row);

    CListBoxEx* FileListBox() const { return fileList_; }
    CListBoxEx* TitleListBox() const { return titleList_; }
    QScrollBar* SharedScrollBar() const { return scrollBar_; }
    CMoveButtonBar* ButtonBar() const { return buttonBar_; }
    QPushButton* AutoButton() const { return autoButton_; }
    QPushButton* ManualButton() const { return manualButton_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }
    const std::vector<std::string>& UnplacedLines() const { return unplaced_; }

    void accept() override;

private:
    void ShowRows(const Association& association);
    void SetUpScrollBar();
    void ScrollBoth(int firstRow);
    RowList RowsOf(const CListBoxEx* list) const;

    const TrackList* files_ = nullptr;
    const TrackList* tracks_ = nullptr;
    SortListCtrl* fileView_ = nullptr;
    SortListCtrl* databaseView_ = nullptr;
    std::vector<std::string> unplaced_;
    bool scrolling_ = false;

    CMoveButtonBar* buttonBar_;
    QPushButton* autoButton_;
    QPushButton* manualButton_;
    CListBoxEx* fileList_;
    CListBoxEx* titleList_;
    QScrollBar* scrollBar_;
    QPushButton* cancelButton_;
    QPushButton* okButton_;
};

}  // namespace corvane
