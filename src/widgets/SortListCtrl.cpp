#include "widgets/SortListCtrl.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "widgets/RowQuickSort.h"

namespace corvane {

namespace {

constexpr int kItemDataRole = Qt::UserRole + 1;

// Rows tall enough for the marks above capitals ("Ü", "Å") and the tails below the line,
// whatever the font's own line height leaves out.
class FullHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QFontMetrics metrics(option.font);
        const int glyphs = metrics.boundingRect(QStringLiteral("\u00dc\u00c5\u00c9gjpq|")).height();
        size.setHeight(
            std::max({size.height(), metrics.ascent() + metrics.descent() + 4, glyphs + 4}));
        return size;
    }
};

}  // namespace

SortListCtrl::SortListCtrl(QWidget* parent)
    : QTreeWidget(parent), header_(new CFlatHeaderCtrl(Qt::Horizontal, this)) {
    setHeader(header_);
    // Rows are sorted here, never by the model; switching Qt's sorting off also makes the
    // header unclickable, so that comes first.
    setSortingEnabled(false);
    header_->setSectionsClickable(true);
    header_->setStretchLastSection(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setItemDelegate(new FullHeightDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    emptyText_ = QStringLiteral("Empty List");
    connect(header_, &QHeaderView::sectionClicked, this, &SortListCtrl::OnColumnClick);
}

void SortListCtrl::SetEmptyText(const QString& text) {
    emptyText_ = text.isEmpty() ? QStringLiteral("Empty List") : text;
    viewport()->update();
}

int SortListCtrl::InsertRow(int row, const QStringList& texts, const QIcon& image) {
    const int count = topLevelItemCount();
    if (row < 0 || row > count) {
        row = count;
    }
    auto* item = new QTreeWidgetItem(texts);
    if (!image.isNull()) {
        item->setIcon(0, image);
    }
    insertTopLevelItem(row, item);
    return row;
}

QString SortListCtrl::ItemText(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->text(column) : QString();
}

bool SortListCtrl::SetItemText(int row, int column, const QString& text) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item == nullptr || column < 0 || column >= columnCount()) {
        return false;
    }
    item->setText(column, text);
    return true;
}

bool SortListCtrl::SetItemData(int row, qint64 data) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item == nullptr) {
        return false;
    }
    item->setData(0, kItemDataRole, data);
    return true;
}

qint64 SortListCtrl::ItemData(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->data(0, kItemDataRole).toLongLong() : 0;
}

bool SortListCtrl::SetRowImage(int row, const QIcon& image) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item == nullptr) {
        return false;
    }
    item->setIcon(0, image);
    return true;
}

void SortListCtrl::OnColumnClick(int column) {
    if (!sortingEnabled_) {
        return;
    }
    bool ascending = true;
    if (header_->GetSortColumn(&ascending) == column) {
        ascending = !ascending;
    } else {
        ascending = true;
    }
    header_->SetSortColumn(column, ascending);
    SortRows(column, ascending);
}

void SortListCtrl::SortRows(int column, bool ascending) {
    const int count = topLevelItemCount();
    if (column < 0 || column >= header_->count() || count < 2) {
        return;
    }
    std::vector<std::string> texts;
    std::vector<QTreeWidgetItem*> rows;
    texts.reserve(count);
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        rows.push_back(topLevelItem(i));
        texts.push_back(rows.back()->text(column).toStdString());
    }
    bool moved = false;
    QuickSortRows(
        0, count - 1, ascending, [&texts](int i) -> const std::string& { return texts[i]; },
        [&](int a, int b) {
            std::swap(texts[a], texts[b]);
            std::swap(rows[a], rows[b]);
            moved = true;
        });
    if (!moved) {
        return;
    }
    PutRows(rows);
    emit rowsSorted(column, ascending);
}

void SortListCtrl::ArrangeRows(const std::vector<qint64>& order) {
    std::vector<QTreeWidgetItem*> rest;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        rest.push_back(topLevelItem(i));
    }
    std::vector<QTreeWidgetItem*> rows;
    for (const qint64 data : order) {
        const auto found = std::find_if(rest.begin(), rest.end(), [data](QTreeWidgetItem* item) {
            return item->data(0, kItemDataRole).toLongLong() == data;
        });
        if (found == rest.end()) {
            auto* gap = new QTreeWidgetItem;
            gap->setData(0, kItemDataRole, kGapRowData);
            rows.push_back(gap);
        } else {
            rows.push_back(*found);
            rest.erase(found);
        }
    }
    rows.insert(rows.end(), rest.begin(), rest.end());
    PutRows(rows);
}

void SortListCtrl::RemoveRowsWithData(qint64 data) {
    for (int i = topLevelItemCount() - 1; i >= 0; --i) {
        if (ItemData(i) == data) {
            delete takeTopLevelItem(i);
        }
    }
}

void SortListCtrl::PutRows(const std::vector<QTreeWidgetItem*>& rows) {
    QTreeWidgetItem* current = currentItem();
    const QList<QTreeWidgetItem*> selected = selectedItems();
    const int scroll = horizontalScrollBar()->value();
    setUpdatesEnabled(false);
    invisibleRootItem()->takeChildren();
    addTopLevelItems(QList<QTreeWidgetItem*>(rows.begin(), rows.end()));
    if (current != nullptr) {
        setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    }
    for (QTreeWidgetItem* item : selected) {
        item->setSelected(true);
    }
    horizontalScrollBar()->setValue(scroll);
    setUpdatesEnabled(true);
}

void SortListCtrl::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    if (topLevelItemCount() != 0) {
        return;
    }
    // The viewport lies below the header already.
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    painter.fillRect(area, palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    painter.setFont(font());
    painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, emptyText_);
}

void SortListCtrl::FitColumnsToContents() {
    // One long name must not push the other columns out of view: a column grows to about a
    // third of the list, and the rows it cuts short tell their whole text as a tooltip.
    const int limit = std::max(kMinColumnLimit, viewport()->width() / 3);
    for (int column = 0; column < columnCount(); ++column) {
        if (isColumnHidden(column) || columnWidth(column) == 0) {
            continue;
        }
        const int content = sizeHintForColumn(column);
        const int needed = std::max(header_->SectionWidthNeeded(column), std::min(content, limit));
        if (needed > columnWidth(column)) {
            setColumnWidth(column, needed);
        }
        if (content > columnWidth(column)) {
            for (int row = 0; row < topLevelItemCount(); ++row) {
                QTreeWidgetItem* item = topLevelItem(row);
                item->setToolTip(column, item->text(column));
            }
        }
    }
}

}  // namespace corvane
