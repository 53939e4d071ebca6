#include "widgets/FlatHeaderCtrl.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace corvane {

namespace {

// The floating copy of a dragged header item; it never takes the mouse.
class HeaderDragWindow : public QWidget {
public:
    HeaderDragWindow(QWidget* parent, QPixmap picture) : QWidget(parent), picture_(picture) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        resize(picture.deviceIndependentSize().toSize());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setOpacity(0.85);
        painter.drawPixmap(0, 0, picture_);
    }

private:
    QPixmap picture_;
};

}  // namespace

CFlatHeaderCtrl::CFlatHeaderCtrl(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
    connect(this, &QHeaderView::sectionResized, this, &CFlatHeaderCtrl::OnSectionResized);
}

CFlatHeaderCtrl::~CFlatHeaderCtrl() {
    // The floating copy and the marker belong to the window, not to the header.
    delete dragWindow_;
    delete dropMarker_;
}

void CFlatHeaderCtrl::setModel(QAbstractItemModel* newModel) {
    if (model() != nullptr) {
        disconnect(model(), nullptr, this, nullptr);
    }
    QHeaderView::setModel(newModel);
    extras_.clear();
    if (newModel == nullptr) {
        return;
    }
    if (orientation() == Qt::Horizontal) {
        connect(newModel, &QAbstractItemModel::columnsInserted, this,
                &CFlatHeaderCtrl::OnColumnsInserted);
        connect(newModel, &QAbstractItemModel::columnsRemoved, this,
                &CFlatHeaderCtrl::OnColumnsRemoved);
    } else {
        connect(newModel, &QAbstractItemModel::rowsInserted, this,
                &CFlatHeaderCtrl::OnColumnsInserted);
        connect(newModel, &QAbstractItemModel::rowsRemoved, this,
                &CFlatHeaderCtrl::OnColumnsRemoved);
    }
    connect(newModel, &QAbstractItemModel::modelReset, this, [this] { extras_.clear(); });
    SyncExtras();
}

void CFlatHeaderCtrl::OnColumnsInserted(const QModelIndex& parent, int first, int last) {
    if (parent.isValid() || first < 0 || last < first) {
        return;
    }
    const int at = std::min<int>(first, static_cast<int>(extras_.size()));
    extras_.insert(extras_.begin() + at, static_cast<size_t>(last - first + 1), HeaderItemEx{});
    SyncExtras();
}

void CFlatHeaderCtrl::OnColumnsRemoved(const QModelIndex& parent, int first, int last) {
    if (parent.isValid() || first < 0 || last < first) {
        return;
    }
    const int size = static_cast<int>(extras_.size());
    const int from = std::min(first, size);
    const int to = std::min(last + 1, size);
    extras_.erase(extras_.begin() + from, extras_.begin() + to);
    SyncExtras();
}

void CFlatHeaderCtrl::SyncExtras() {
    // Columns that came without a notification (a model set up before the header) get the
    // defaults.
    extras_.resize(static_cast<size_t>(std::max(0, count())));
}

void CFlatHeaderCtrl::SetSortColumn(int column, bool ascending) {
    sortColumn_ = column;
    ascending_ = ascending;
    viewport()->update();
}

int CFlatHeaderCtrl::GetSortColumn(bool* ascending) const {
    if (ascending != nullptr) {
        *ascending = ascending_;
    }
    return sortColumn_;
}

bool CFlatHeaderCtrl::GetItemEx(int index, HeaderItemEx* record) const {
    if (index < 0 || index >= count() || record == nullptr) {
        return false;
    }
    *record = index < static_cast<int>(extras_.size()) ? extras_[index] : HeaderItemEx{};
    return true;
}

bool CFlatHeaderCtrl::SetItemEx(int index, const HeaderItemEx& record) {
    if (index < 0 || index >= count()) {
        return false;
    }
    SyncExtras();
    extras_[index] = record;
    setSectionResizeMode(
        index, (record.style & kFixedWidth) != 0 ? QHeaderView::Fixed : QHeaderView::Interactive);
    OnSectionResized(index, sectionSize(index), sectionSize(index));
    return true;
}

bool CFlatHeaderCtrl::IsFixed(int logicalIndex) const {
    return logicalIndex >= 0 && logicalIndex < static_cast<int>(extras_.size()) &&
           (extras_[logicalIndex].style & kFixedWidth) != 0;
}

void CFlatHeaderCtrl::OnSectionResized(int logicalIndex, int, int newSize) {
    if (adjusting_ || logicalIndex < 0 || logicalIndex >= static_cast<int>(extras_.size())) {
        return;
    }
    const HeaderItemEx& ex = extras_[logicalIndex];
    if (ex.minWidth > ex.maxWidth) {
        return;
    }
    const int limited = std::clamp(newSize, ex.minWidth, ex.maxWidth);
    if (limited != newSize) {
        adjusting_ = true;
        resizeSection(logicalIndex, limited);
        adjusting_ = false;
    }
}

int CFlatHeaderCtrl::Along(const QPoint& p) const {
    return orientation() == Qt::Horizontal ? p.x() : p.y();
}

int CFlatHeaderCtrl::HandleAt(int pos) const {
    const int visual = visualIndexAt(pos);
    if (visual == -1) {
        return -1;
    }
    const int logical = logicalIndex(visual);
    const int start = sectionViewportPosition(logical);
    const int size = sectionSize(logical);
    const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    if (pos - start < grip) {
        // The divider on the left belongs to the previous visible item.
        for (int v = visual - 1; v >= 0; --v) {
            if (!isSectionHidden(logicalIndex(v))) {
                return logicalIndex(v);
            }
        }
        return -1;
    }
    return start + size - pos <= grip ? logical : -1;
}

void CFlatHeaderCtrl::paintEvent(QPaintEvent* event) {
    QHeaderView::paintEvent(event);
    QPainter painter(viewport());
    const QPalette& pal = palette();
    // The space after the last item, flat like the items.
    const int end = length() - offset();
    const QRect vr = viewport()->rect();
    const QRect rest = orientation() == Qt::Horizontal
                           ? QRect(end, 0, std::max(0, vr.width() - end), vr.height())
                           : QRect(0, end, vr.width(), std::max(0, vr.height() - end));
    painter.fillRect(rest, pal.color(QPalette::Button));
    // A thin 3D frame round the whole control.
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(vr.topLeft(), vr.topRight());
    painter.drawLine(vr.topLeft(), vr.bottomLeft());
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(vr.bottomLeft(), vr.bottomRight());
    painter.drawLine(vr.topRight(), vr.bottomRight());
}

void CFlatHeaderCtrl::DrawSortTriangle(QPainter* painter, const QRect& box, bool ascending) const {
    // An outlined triangle lit from the top left, so it looks raised.
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const int l = box.left();
    const int t = box.top();
    const int r = box.left() + kTriangleSize - 1;
    const int b = box.top() + kTriangleSize - 1;
    const int mid = box.left() + kTriangleSize / 2;
    if (ascending) {
        painter->setPen(shadow);
        painter->drawLine(mid, t, l, b);
        painter->setPen(light);
        painter->drawLine(mid, t, r, b);
        painter->drawLine(l, b, r, b);
    } else {
        painter->setPen(shadow);
        painter->drawLine(l, t, r, t);
        painter->drawLine(l, t, mid, b);
        painter->setPen(light);
        painter->drawLine(r, t, mid, b);
    }
}

int CFlatHeaderCtrl::SectionWidthNeeded(int logicalIndex) const {
    const QAbstractItemModel* m = model();
    if (m == nullptr) {
        return 0;
    }
    const QString text = m->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    const bool hasIcon =
        !m->headerData(logicalIndex, orientation(), Qt::DecorationRole).value<QIcon>().isNull();
    const int extent = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    return 2 * kSpacing + (hasIcon ? extent + kSpacing : 0) +
           fontMetrics().horizontalAdvance(text) + kTriangleSize + kSpacing +
           2;  // elidedText wants a little more than the advance
}

void CFlatHeaderCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) {
        return;
    }
    painter->save();
    const QPalette& pal = palette();
    const bool pressed = logicalIndex == pressed_ && !columnDrag_ && !widthDrag_;
    // The pressed item is shown inverted.
    const QColor face = pressed ? pal.color(QPalette::ButtonText) : pal.color(QPalette::Button);
    const QColor ink = pressed ? pal.color(QPalette::Button) : pal.color(QPalette::ButtonText);
    painter->fillRect(rect, face);

    const QAbstractItemModel* m = model();
    const QString text =
        m ? m->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString() : QString();
    const QIcon icon =
        m ? m->headerData(logicalIndex, orientation(), Qt::DecorationRole).value<QIcon>() : QIcon();
    const QVariant alignData =
        m ? m->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole) : QVariant();
    const Qt::Alignment align =
        alignData.isValid() ? Qt::Alignment(alignData.toInt()) : Qt::Alignment(Qt::AlignLeft);

    const int extent = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const QSize iconSize = icon.isNull() ? QSize() : icon.actualSize(QSize(extent, extent));
    const bool sorted = logicalIndex == sortColumn_;
    const QRect inner = rect.adjusted(kSpacing, 0, -kSpacing, 0);
    const int fixedParts =
        (icon.isNull() ? 0 : iconSize.width() + kSpacing) + (sorted ? kTriangleSize + kSpacing : 0);
    const int textRoom = std::max(0, inner.width() - fixedParts);
    const QString shown = fontMetrics().elidedText(text, Qt::ElideRight, textRoom);
    const int textWidth = std::min(textRoom, fontMetrics().horizontalAdvance(shown));
    const int contentWidth = fixedParts + textWidth;

    int x = inner.left();
    if (align & Qt::AlignRight) {
        x = inner.right() + 1 - contentWidth;
    } else if (align & Qt::AlignHCenter) {
        x = inner.left() + (inner.width() - contentWidth) / 2;
    }
    x = std::max(x, inner.left());
    if (!icon.isNull()) {
        const QRect iconRect(x, rect.top() + (rect.height() - iconSize.height()) / 2,
                             iconSize.width(), iconSize.height());
        icon.paint(painter, iconRect, Qt::AlignCenter,
                   isEnabled() ? QIcon::Normal : QIcon::Disabled);
        x += iconSize.width() + kSpacing;
    }
    painter->setPen(isEnabled() ? ink : pal.color(QPalette::Disabled, QPalette::ButtonText));
    painter->drawText(QRect(x, rect.top(), textWidth, rect.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    x += textWidth + kSpacing;
    if (sorted) {
        DrawSortTriangle(painter,
                         QRect(x, rect.top() + (rect.height() - kTriangleSize) / 2, kTriangleSize,
                               kTriangleSize),
                         ascending_);
    }
    // Dividers: a highlight on the leading edge and a shadow on the trailing one.
    painter->setPen(pal.color(QPalette::Light));
    if (orientation() == Qt::Horizontal) {
        painter->drawLine(rect.left(), rect.top() + 2, rect.left(), rect.bottom() - 2);
        painter->setPen(pal.color(QPalette::Dark));
        painter->drawLine(rect.right(), rect.top() + 2, rect.right(), rect.bottom() - 2);
    } else {
        painter->drawLine(rect.left() + 2, rect.top(), rect.right() - 2, rect.top());
        painter->setPen(pal.color(QPalette::Dark));
        painter->drawLine(rect.left() + 2, rect.bottom(), rect.right() - 2, rect.bottom());
    }
    painter->restore();
}

void CFlatHeaderCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || columnDrag_) {
        event->accept();
        return;
    }
    const QPoint pos = event->position().toPoint();
    const int handle = HandleAt(Along(pos));
    if (handle != -1) {
        if (IsFixed(handle)) {
            event->accept();
            return;
        }
        // Qt resizes the column; the width limits are applied as it goes.
        widthDrag_ = true;
        QHeaderView::mousePressEvent(event);
        return;
    }
    pressed_ = logicalIndexAt(pos);
    pressPos_ = pos;
    dragVetoed_ = false;
    dropTarget_ = -1;
    if (pressed_ != -1) {
        updateSection(pressed_);
        emit sectionPressed(pressed_);
    }
    event->accept();
}

void CFlatHeaderCtrl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (widthDrag_ || pressed_ == -1 || !(event->buttons() & Qt::LeftButton)) {
        // Hover: Qt sets the sizing cursor over dividers of resizable columns.
        QHeaderView::mouseMoveEvent(event);
        return;
    }
    if (columnDrag_) {
        TrackColumnDrag(pos);
    } else if (dragColumns_ && !dragVetoed_ &&
               (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
        bool veto = false;
        emit beginDrag(pressed_, &veto);
        if (veto) {
            dragVetoed_ = true;
        } else {
            StartColumnDrag(pos);
        }
    }
    event->accept();
}

void CFlatHeaderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    if (widthDrag_) {
        widthDrag_ = false;
        QHeaderView::mouseReleaseEvent(event);
        return;
    }
    const int pressed = pressed_;
    if (columnDrag_) {
        FinishColumnDrag();
    } else if (pressed != -1 && sectionsClickable() &&
               logicalIndexAt(event->position().toPoint()) == pressed) {
        pressed_ = -1;
        updateSection(pressed);
        emit sectionClicked(pressed);
    }
    pressed_ = -1;
    if (pressed != -1) {
        updateSection(pressed);
    }
    event->accept();
}

void CFlatHeaderCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    const int handle = HandleAt(Along(event->position().toPoint()));
    if (handle != -1 && IsFixed(handle)) {
        event->accept();
        return;
    }
    QHeaderView::mouseDoubleClickEvent(event);
}

QPixmap CFlatHeaderCtrl::SectionPicture(int logicalIndex) const {
    const QSize size = orientation() == Qt::Horizontal ? QSize(sectionSize(logicalIndex), height())
                                                       : QSize(width(), sectionSize(logicalIndex));
    const qreal ratio = devicePixelRatioF();
    QPixmap picture(size * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(palette().color(QPalette::Button));
    QPainter painter(&picture);
    painter.setFont(font());
    paintSection(&painter, QRect(QPoint(0, 0), size), logicalIndex);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(QRect(QPoint(0, 0), size).adjusted(0, 0, -1, -1));
    return picture;
}

void CFlatHeaderCtrl::StartColumnDrag(const QPoint& pos) {
    columnDrag_ = true;
    updateSection(pressed_);
    // Children of the top-level window float above every other control, yet need no
    // window-manager support.
    dragWindow_ = new HeaderDragWindow(window(), SectionPicture(pressed_));
    dragWindow_->show();
    dragWindow_->raise();
    // Mouse events of a header arrive through its viewport.
    viewport()->grabMouse();
    TrackColumnDrag(pos);
}

void CFlatHeaderCtrl::TrackColumnDrag(const QPoint& pos) {
    const QPoint inTop = viewport()->mapTo(window(), pos);
    dragWindow_->move(inTop - QPoint(dragWindow_->width() / 2, dragWindow_->height() / 2));

    int target = -1;
    const int along = Along(pos);
    const int across = orientation() == Qt::Horizontal ? pos.y() : pos.x();
    const int depth = orientation() == Qt::Horizontal ? viewport()->height() : viewport()->width();
    const int visual = visualIndexAt(along);
    if (visual != -1 && across >= 0 && across < depth) {
        const int logical = logicalIndex(visual);
        const int middle = sectionViewportPosition(logical) + sectionSize(logical) / 2;
        target = visual + (along > middle ? 1 : 0);
        const int own = visualIndex(pressed_);
        if (target == own || target == own + 1) {
            target = -1;
        }
    }
    viewport()->setCursor(visual != -1 && across >= 0 && across < depth ? Qt::ArrowCursor
                                                                        : Qt::ForbiddenCursor);
    if (target == dropTarget_) {
        return;
    }
    dropTarget_ = target;
    if (target == -1) {
        delete dropMarker_;
        return;
    }
    QWidget* top = window();
    if (dropMarker_ == nullptr) {
        // Above the floating copy, and a little taller than the header so it shows round it.
        dropMarker_ = new QWidget(top);
        dropMarker_->setAttribute(Qt::WA_TransparentForMouseEvents);
        dropMarker_->setAutoFillBackground(true);
        QPalette pal = dropMarker_->palette();
        pal.setColor(QPalette::Window, palette().color(QPalette::Highlight));
        dropMarker_->setPalette(pal);
    }
    // The marker sits on the boundary before the target place.
    int edge = 0;
    if (target < count()) {
        edge = sectionViewportPosition(logicalIndex(target));
    } else {
        const int last = logicalIndex(count() - 1);
        edge = sectionViewportPosition(last) + sectionSize(last);
    }
    constexpr int kMarker = 3;
    constexpr int kOverhang = 3;
    if (orientation() == Qt::Horizontal) {
        const QPoint at = viewport()->mapTo(top, QPoint(edge - kMarker / 2 - 1, -kOverhang));
        dropMarker_->setGeometry(at.x(), at.y(), kMarker, viewport()->height() + 2 * kOverhang);
    } else {
        const QPoint at = viewport()->mapTo(top, QPoint(-kOverhang, edge - kMarker / 2 - 1));
        dropMarker_->setGeometry(at.x(), at.y(), viewport()->width() + 2 * kOverhang, kMarker);
    }
    dropMarker_->show();
    dropMarker_->raise();
}

void CFlatHeaderCtrl::FinishColumnDrag() {
    const int logical = pressed_;
    const int target = dropTarget_;
    bool veto = false;
    emit endDrag(logical, target, &veto);
    if (!veto && target != -1) {
        const int from = visualIndex(logical);
        moveSection(from, target > from ? target - 1 : target);
    }
    delete dragWindow_;
    delete dropMarker_;
    viewport()->releaseMouse();
    viewport()->unsetCursor();
    columnDrag_ = false;
    dropTarget_ = -1;
}

}  // namespace corvane
