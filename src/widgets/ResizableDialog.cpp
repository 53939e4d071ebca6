#include "widgets/ResizableDialog.h"

#include "widgets/ScreenFit.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSizeGrip>
#include <QStyle>
#include <algorithm>

namespace corvane {

namespace {

LayoutRect ToLayoutRect(const QRect& r) {
    return LayoutRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect ToQRect(const LayoutRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

ResizableDialog::ResizableDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {
    // QSizeGrip draws the platform's grip and resizes the window it belongs to.
    grip_ = new QSizeGrip(this);
    UpdateGrip();
    grip_->setVisible(showGrip_);
}

ResizableDialog::~ResizableDialog() = default;

QRect ResizableDialog::RectInDialog(const QWidget* control) const {
    const QWidget* parent = control->parentWidget();
    if (parent == nullptr || parent == this) {
        return control->geometry();
    }
    return QRect(parent->mapTo(this, control->pos()), control->size());
}

void ResizableDialog::AddAnchor(QWidget* control, Anchor topLeft, Anchor bottomRight) {
    if (control == nullptr || control == this || !isAncestorOf(control)) {
        return;
    }
    LayoutItem item;
    item.control = control;
    // Qt already clips check boxes, radio buttons and group boxes; list views must keep their
    // horizontal scroll position and labels repaint their background when they move.
    item.adjustScroll = qobject_cast<QAbstractItemView*>(control) != nullptr;
    item.refreshOnMove = qobject_cast<QLabel*>(control) != nullptr;
    item.placement = MakeAnchorPlacement(ToLayoutRect(RectInDialog(control)), width(), height(),
                                         topLeft, bottomRight);
    items_.push_back(item);
}

bool ResizableDialog::ReAnchor(QWidget* control, Anchor topLeft, Anchor bottomRight) {
    auto it = std::find_if(items_.begin(), items_.end(),
                           [control](const LayoutItem& item) { return item.control == control; });
    if (control == nullptr || it == items_.end()) {
        return false;
    }
    items_.erase(it);
    AddAnchor(control, topLeft, bottomRight);
    return true;
}

bool ResizableDialog::IsAnchored(const QWidget* control) const {
    return std::any_of(items_.begin(), items_.end(),
                       [control](const LayoutItem& item) { return item.control == control; });
}

void ResizableDialog::ShowSizeGrip(bool show) {
    if (show == showGrip_) {
        return;
    }
    showGrip_ = show;
    // QSizeGrip itself hides while the window is maximised.
    grip_->setVisible(show);
    UpdateGrip();
}

QRect ResizableDialog::GripRect() const {
    const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int h = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return QRect(width() - w, height() - h, w, h);
}

void ResizableDialog::SetUseMinTrack(bool use) {
    useMinTrack_ = use;
    if (initDone_) {
        setMinimumSize(use ? minTrackSize_ : QSize(0, 0));
    }
}

void ResizableDialog::PlaceControl(const LayoutItem& item, const QRect& inDialog) {
    QWidget* control = item.control;
    QRect target = inDialog;
    if (QWidget* parent = control->parentWidget(); parent != nullptr && parent != this) {
        target.translate(-parent->mapTo(this, QPoint(0, 0)));
    }
    int scroll = 0;
    auto* view = item.adjustScroll ? qobject_cast<QAbstractItemView*>(control) : nullptr;
    if (view != nullptr) {
        scroll = view->horizontalScrollBar()->value();
    }
    control->setGeometry(target);
    if (view != nullptr) {
        view->horizontalScrollBar()->setValue(scroll);
    }
    if (item.refreshOnMove) {
        control->update();
    }
}

void ResizableDialog::ArrangeLayout() {
    const int w = width();
    const int h = height();
    // A control may have been deleted since it was anchored.
    std::erase_if(items_, [](const LayoutItem& item) { return item.control.isNull(); });
    for (const LayoutItem& item : items_) {
        const QRect next = ToQRect(PlaceAnchored(item.placement, w, h));
        if (next != RectInDialog(item.control)) {
            PlaceControl(item, next);
        }
    }
    UpdateGrip();
}

void ResizableDialog::FinishSetup() {
    if (initDone_) {
        return;
    }
    UpdateGrip();
    minTrackSize_ = size();
    initDone_ = true;
    if (useMinTrack_) {
        setMinimumSize(minTrackSize_);
    }
}

void ResizableDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A dialog laid out for a larger screen (or a larger scale factor) opens inside this one.
    if (isWindow() && !initDone_) {
        FitIntoScreen(*this, false);
    }
    FinishSetup();
}

void ResizableDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (initDone_) {
        ArrangeLayout();
    } else {
        UpdateGrip();
    }
}

void ResizableDialog::UpdateGrip() {
    grip_->setGeometry(GripRect());
    grip_->raise();
}

}  // namespace corvane
