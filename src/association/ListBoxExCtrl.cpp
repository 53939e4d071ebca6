#include "association/ListBoxExCtrl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <utility>

namespace corvane {

namespace {

// Rows of one text line, odd rows shaded, the text a little in from the edge.
class ShadedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QFontMetrics metrics(option.font);
        return {QStyledItemDelegate::sizeHint(option, index).width() + CListBoxEx::kTextIndent,
                metrics.height() + metrics.leading()};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QPalette& palette = option.palette;
        QColor fill = palette.color(QPalette::Base);
        if (selected) {
            fill = palette.color(QPalette::Active, QPalette::Highlight);
        } else if (index.row() % 2 == 1) {
            fill = QColor(CListBoxEx::kShadeGrey, CListBoxEx::kShadeGrey, CListBoxEx::kShadeGrey);
        }
        painter->fillRect(option.rect, fill);
        painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect textRect = option.rect.adjusted(CListBoxEx::kTextIndent, 0, 0, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        if (selected) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.backgroundColor = fill;
            QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter);
        }
    }
};

}  // namespace

CListBoxEx::CListBoxEx(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new ShadedRowDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

void CListBoxEx::SwapRows(int a, int b) {
    if (a == b || a < 0 || b < 0 || a >= count() || b >= count()) {
        return;
    }
    const int low = std::min(a, b);
    const int high = std::max(a, b);
    QListWidgetItem* highItem = takeItem(high);
    QListWidgetItem* lowItem = takeItem(low);
    insertItem(low, highItem);
    insertItem(high, lowItem);
}

void CListBoxEx::MoveUp(int row) {
    if (row < 1 || row >= count()) {
        return;
    }
    SwapRows(row, row - 1);
    setCurrentRow(row - 1);
    emit rowMoved(row - 1);
}

void CListBoxEx::MoveDown(int row) {
    if (row < 0 || row >= count() - 1) {
        return;
    }
    SwapRows(row, row + 1);
    setCurrentRow(row + 1);
    emit rowMoved(row + 1);
}

void CListBoxEx::SetRowText(int row, const QString& text) {
    if (QListWidgetItem* rowItem = item(row)) {
        rowItem->setText(text);
    }
}

bool CListBoxEx::BeginDrag(int row) {
    if (!moveEnabled_ || IsDragging() || row < 0 || row >= count()) {
        return false;
    }
    dragRow_ = row;
    // The extra row lets a row be dropped after the last real one.
    auto* dropRow = new QListWidgetItem;
    dropRow->setFlags(Qt::NoItemFlags);
    addItem(dropRow);
    dropRowAdded_ = true;
    return true;
}

void CListBoxEx::DragOver(int row) {
    if (!IsDragging()) {
        return;
    }
    emit rowMoved(-1);
    insertIndex_ = row >= 0 && row < count() ? row : -1;
    viewport()->update();
}

bool CListBoxEx::Drop(int before) {
    if (!IsDragging()) {
        return false;
    }
    const int from = dragRow_;
    const bool moves = before >= 0 && before < count() && before != from && before != from + 1;
    int target = from;
    if (moves) {
        target = before > from ? before - 1 : before;
        insertItem(target, takeItem(from));
    }
    EndDrag();
    setCurrentRow(target);
    if (partner_ != nullptr) {
        partner_->setCurrentRow(target);
    }
    return moves;
}

void CListBoxEx::CancelDrag() {
    if (IsDragging()) {
        EndDrag();
    }
}

void CListBoxEx::EndDrag() {
    dragRow_ = -1;
    insertIndex_ = -1;
    if (dropRowAdded_) {
        dropRowAdded_ = false;
        delete takeItem(count() - 1);
    }
    unsetCursor();
    viewport()->update();
}

int CListBoxEx::RowAt(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    return index.isValid() ? index.row() : -1;
}

void CListBoxEx::mousePressEvent(QMouseEvent* event) {
    pressRow_ = event->button() == Qt::LeftButton ? RowAt(event->position().toPoint()) : -1;
    pressPos_ = event->position().toPoint();
    QListWidget::mousePressEvent(event);
}

void CListBoxEx::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (!IsDragging() && pressRow_ >= 0 && (event->buttons() & Qt::LeftButton) != 0 &&
        (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
        BeginDrag(pressRow_);
    }
    if (!IsDragging()) {
        QListWidget::mouseMoveEvent(event);
        return;
    }
    if (pos.y() < 0) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (pos.y() >= viewport()->height()) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
    const int row = RowAt(pos);
    setCursor(row < 0 ? Qt::ForbiddenCursor : Qt::DragMoveCursor);
    DragOver(row);
}

void CListBoxEx::mouseReleaseEvent(QMouseEvent* event) {
    pressRow_ = -1;
    if (IsDragging() && event->button() == Qt::LeftButton) {
        const int row = RowAt(event->position().toPoint());
        if (row < 0) {
            CancelDrag();
        } else {
            Drop(row);
        }
        return;
    }
    QListWidget::mouseReleaseEvent(event);
}

void CListBoxEx::keyPressEvent(QKeyEvent* event) {
    if (IsDragging() && event->key() == Qt::Key_Escape) {
        CancelDrag();
        return;
    }
    if ((event->modifiers() & Qt::AltModifier) != 0) {
        const int key = event->key();
        if (key == Qt::Key_Up || key == Qt::Key_Left) {
            if (moveEnabled_) {
                MoveUp(currentRow());
            }
            return;
        }
        if (key == Qt::Key_Down || key == Qt::Key_Right) {
            if (moveEnabled_) {
                MoveDown(currentRow());
            }
            return;
        }
    }
    QListWidget::keyPressEvent(event);
}

void CListBoxEx::paintEvent(QPaintEvent* event) {
    QListWidget::paintEvent(event);
    if (insertIndex_ < 0 || item(insertIndex_) == nullptr) {
        return;
    }
    // A halftone band on the row's top edge, with a short bar at each end,
    // inverted so that it shows on light and dark rows alike.
    const int top = visualItemRect(item(insertIndex_)).top();
    const int width = viewport()->width();
    QPainter painter(viewport());
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QBrush halftone(Qt::white, Qt::Dense4Pattern);
    painter.fillRect(QRect(5, top - 2, width - 10, 4), halftone);
    painter.fillRect(QRect(2, top - 6, 3, 12), halftone);
    painter.fillRect(QRect(width - 5, top - 6, 3, 12), halftone);
}

}  // namespace corvane
