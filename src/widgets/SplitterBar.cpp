#include "widgets/SplitterBar.h"

#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace corvane {

namespace {

// The bar's area of the dialog, inverted, drawn where the bar would land. Qt offers no XOR
// drawing on widgets, so the inverted picture is taken from a grab of the dialog.
class DragImage : public QWidget {
public:
    DragImage(QWidget* parent, QImage inverted) : QWidget(parent), inverted_(std::move(inverted)) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const qreal ratio = inverted_.devicePixelRatio();
        const QRect source(QPointF(pos() * ratio).toPoint(), QSizeF(size() * ratio).toSize());
        painter.drawImage(rect(), inverted_, source);
    }

private:
    QImage inverted_;
};

}  // namespace

SplitterBar::SplitterBar(Qt::Orientation dragAxis, QWidget* parent)
    : QWidget(parent), axis_(dragAxis) {
    setCursor(axis_ == Qt::Horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    setFocusPolicy(Qt::NoFocus);
}

SplitterBar::~SplitterBar() {
    delete dragImage_;
}

VerticalSplitterBar::VerticalSplitterBar(QWidget* parent) : SplitterBar(Qt::Horizontal, parent) {}

HorizontalSplitterBar::HorizontalSplitterBar(QWidget* parent) : SplitterBar(Qt::Vertical, parent) {}

bool SplitterBar::Bind(QWidget* placeholder, int id) {
    if (placeholder == nullptr || placeholder->parentWidget() == nullptr || placeholder == this) {
        return false;
    }
    placeholder_ = placeholder;
    id_ = id;
    setParent(placeholder->parentWidget());
    setGeometry(placeholder->geometry());
    stackUnder(placeholder);
    placeholder->hide();
    show();
    return true;
}

void SplitterBar::Unbind() {
    DetachAllPanes();
    if (placeholder_ != nullptr) {
        placeholder_->setGeometry(geometry());
        placeholder_->show();
        placeholder_ = nullptr;
    }
    hide();
}

void SplitterBar::SetMinSizes(int first, int second) {
    minFirst_ = first;
    minSecond_ = second;
}

void SplitterBar::AttachFirstPane(QWidget* pane) {
    if (pane != nullptr) {
        firstPanes_.emplace_back(pane);
    }
}

void SplitterBar::AttachSecondPane(QWidget* pane) {
    if (pane != nullptr) {
        secondPanes_.emplace_back(pane);
    }
}

void SplitterBar::DetachAllPanes() {
    firstPanes_.clear();
    secondPanes_.clear();
}

int SplitterBar::Along(const QPoint& p) const {
    return axis_ == Qt::Horizontal ? p.x() : p.y();
}

SplitterSpan SplitterBar::SpanOf(const QRect& r) const {
    return axis_ == Qt::Horizontal ? SplitterSpan{r.left(), r.left() + r.width()}
                                   : SplitterSpan{r.top(), r.top() + r.height()};
}

QRect SplitterBar::PaneRect(const QWidget* pane) const {
    QWidget* parent = parentWidget();
    if (pane->parentWidget() == parent || parent == nullptr) {
        return pane->geometry();
    }
    return QRect(pane->parentWidget()->mapTo(parent, pane->pos()), pane->size());
}

void SplitterBar::RecalcLayout() {
    const SplitterSpan bar = SpanOf(geometry());
    for (const auto& pane : firstPanes_) {
        if (pane == nullptr) {
            continue;
        }
        QRect r = pane->geometry();
        if (axis_ == Qt::Horizontal) {
            r.setRight(bar.start - 2);  // exclusive right edge one pixel before the bar
        } else {
            r.setBottom(bar.start - 2);
        }
        pane->setGeometry(r);
    }
    for (const auto& pane : secondPanes_) {
        if (pane == nullptr) {
            continue;
        }
        QRect r = pane->geometry();
        if (axis_ == Qt::Horizontal) {
            r.setLeft(bar.end + 1);
        } else {
            r.setTop(bar.end + 1);
        }
        pane->setGeometry(r);
    }
    if (parentWidget() != nullptr) {
        parentWidget()->update();
    }
}

SplitterRange SplitterBar::AllowedRange() const {
    const QWidget* parent = parentWidget();
    std::vector<SplitterSpan> first;
    std::vector<SplitterSpan> second;
    for (const auto& pane : firstPanes_) {
        if (pane != nullptr) {
            first.push_back(SpanOf(PaneRect(pane)));
        }
    }
    for (const auto& pane : secondPanes_) {
        if (pane != nullptr) {
            second.push_back(SpanOf(PaneRect(pane)));
        }
    }
    return ComputeSplitterRange(SpanOf(parent->rect()), first, second, minFirst_, minSecond_);
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
    if (dragging_) {
        // The right button ends a drag like the left button's release.
        if (event->button() == Qt::RightButton) {
            EndDrag();
        }
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton || parentWidget() == nullptr ||
        (QWidget::mouseGrabber() != nullptr && QWidget::mouseGrabber() != this)) {
        return;
    }
    range_ = AllowedRange();
    if (!CanDragSplitter(range_, SpanOf(geometry()))) {
        return;
    }
    dragging_ = true;
    pressAt_ = Along(event->position().toPoint());
    distance_ = 0;
    grabMouse();
    grabKeyboard();
    ShowDragImage();
    event->accept();
}

void SplitterBar::ShowDragImage() {
    QWidget* parent = parentWidget();
    QImage picture = parent->grab().toImage();
    picture.invertPixels();
    dragImage_ = new DragImage(parent, std::move(picture));
    dragImage_->setGeometry(geometry());
    dragImage_->raise();
    dragImage_->show();
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        return;
    }
    const QPoint at = event->position().toPoint();
    const int wanted = Along(at) - pressAt_;
    distance_ = ConfineSplitterDistance(range_, SpanOf(geometry()), wanted);
    const QPoint shift = axis_ == Qt::Horizontal ? QPoint(distance_, 0) : QPoint(0, distance_);
    if (distance_ != wanted && QGuiApplication::platformName() == QLatin1String("xcb")) {
        // Keep the pointer inside the allowed range, as the bar is. Only X11 lets a program
        // move the pointer; elsewhere the drag image alone stops at the edge.
        const QPoint confined = axis_ == Qt::Horizontal ? QPoint(pressAt_ + distance_, at.y())
                                                        : QPoint(at.x(), pressAt_ + distance_);
        QCursor::setPos(mapToGlobal(confined));
    }
    dragImage_->move(pos() + shift);
    event->accept();
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        EndDrag();
    }
    event->accept();
}

void SplitterBar::keyPressEvent(QKeyEvent* event) {
    if (!dragging_) {
        QWidget::keyPressEvent(event);
        return;
    }
    // Escape ends the drag where it was last shown; other keys are swallowed meanwhile.
    if (event->key() == Qt::Key_Escape) {
        EndDrag();
    }
    event->accept();
}

void SplitterBar::hideEvent(QHideEvent* event) {
    if (dragging_) {
        distance_ = 0;
        EndDrag();
    }
    QWidget::hideEvent(event);
}

void SplitterBar::EndDrag() {
    dragging_ = false;
    delete dragImage_;
    dragImage_ = nullptr;
    releaseKeyboard();
    releaseMouse();
    const int d = distance_;
    distance_ = 0;
    if (d == 0) {
        return;
    }
    move(pos() + (axis_ == Qt::Horizontal ? QPoint(d, 0) : QPoint(0, d)));
    RecalcLayout();
    emit moved(d, id_);
}

}  // namespace corvane
