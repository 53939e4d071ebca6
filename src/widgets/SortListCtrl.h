#pragma once

#include <QTreeWidget>
#include <vector>

#include "widgets/FlatHeaderCtrl.h"

namespace corvane {

// A report-style list: one row per top-level item, full-row selection, an image and an item
// datum per row, a flat header that shows the sort column, sorting by a header click (a
// second click on the same column flips the direction) and a centred message when empty.
class SortListCtrl : public QTreeWidget {
    Q_OBJECT

public:
    // Below this a column is never cut to fit its content.
    static constexpr int kMinColumnLimit = 120;

    explicit SortListCtrl(QWidget* parent = nullptr);

    CFlatHeaderCtrl* FlatHeader() const { return header_; }

    // Sorting by header clicks is on by default.
    void EnableSorting(bool enable) { sortingEnabled_ = enable; }
    bool IsSortingEnabled() const { return sortingEnabled_; }

    // The message painted into an empty list; an empty text restores "Empty List".
    void SetEmptyText(const QString& text);
    QString EmptyText() const { return emptyText_; }

    // Row helpers; rows are the top-level items.
    int RowCount() const { return topLevelItemCount(); }
    int InsertRow(int row, const QStringList& texts, const QIcon& image = {});
    QString ItemText(int row, int column) const;
    bool SetItemText(int row, int column, const QString& text);
    bool SetItemData(int row, qint64 data);
    qint64 ItemData(int row) const;
    bool SetRowImage(int row, const QIcon& image);
    void DeleteAllRows() { clear(); }
    // Widens each shown column whose header or rows need more room; never
    // narrows one the user made wider.
    void FitColumnsToContents();

    // What a header click does: the same column flips the direction, another one sorts
    // ascending. Does nothing while sorting is off.
    void OnColumnClick(int column);
    // Sorts all rows by one column, keeping rows with equal texts where they are.
    void SortRows(int column, bool ascending);

    // The item data of the empty rows that ArrangeRows puts in gaps.
    static constexpr qint64 kGapRowData = -1;
    // Puts the rows in the order of `order`, by item data: row k becomes the row carrying
    // order[k], or a new empty row (item data kGapRowData) when no row carries it. Rows whose
    // data `order` does not name follow at the end, as they were.
    void ArrangeRows(const std::vector<qint64>& order);
    // Removes every row carrying data.
    void RemoveRowsWithData(qint64 data);

signals:
    // Rows were reordered by a sort.
    void rowsSorted(int column, bool ascending);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Shows the items in this order; texts, images, item data and selection travel along.
    void PutRows(const std::vector<QTreeWidgetItem*>& rows);

    CFlatHeaderCtrl* header_;
    bool sortingEnabled_ = true;
    QString emptyText_;
};

}  // namespace corvane
