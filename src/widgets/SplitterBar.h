#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

#include "widgets/SplitterRange.h"

namespace corvane {

// A thin bar between panes of a dialog that the user drags to share space between them. It
// takes the place of a placeholder widget, moves only itself and the panes attached to it,
// and after a move emits `moved` so the dialog can re-register its anchors.
//
// While dragging, the bar's area is shown inverted at the new place, confined to the room
// the minimum sizes leave; the left button's release, the right button and Escape all end
// the drag at the last place shown.
class SplitterBar : public QWidget {
    Q_OBJECT

public:
    ~SplitterBar() override;

    // Takes the place of `placeholder` (same parent and rectangle); the placeholder is hidden.
    bool Bind(QWidget* placeholder, int id);
    // Detaches all panes and gives the place back to the placeholder.
    void Unbind();
    void SetMinSizes(int first, int second);
    // Panes are siblings of the bar: left of / above it first, right of / below it second.
    void AttachFirstPane(QWidget* pane);
    void AttachSecondPane(QWidget* pane);
    void DetachAllPanes();
    // Fits the attached panes to the bar, one pixel away from it on each side.
    void RecalcLayout();

    int Id() const { return id_; }
    bool IsBound() const { return !placeholder_.isNull(); }
    bool IsDragging() const { return dragging_; }
    // The distance of the drag image from the bar during a drag.
    int DragDistance() const { return distance_; }

signals:
    // The bar moved by `distance` pixels along its drag axis.
    void moved(int distance, int barId);

protected:
    SplitterBar(Qt::Orientation dragAxis, QWidget* parent);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int Along(const QPoint& p) const;
    SplitterSpan SpanOf(const QRect& r) const;
    QRect PaneRect(const QWidget* pane) const;
    SplitterRange AllowedRange() const;
    void ShowDragImage();
    void EndDrag();

    Qt::Orientation axis_;
    int id_ = 0;
    int minFirst_ = 10;
    int minSecond_ = 10;
    QPointer<QWidget> placeholder_;
    std::vector<QPointer<QWidget>> firstPanes_;
    std::vector<QPointer<QWidget>> secondPanes_;

    bool dragging_ = false;
    int pressAt_ = 0;
    int distance_ = 0;
    SplitterRange range_;
    QWidget* dragImage_ = nullptr;
};

// A vertical bar, dragged left and right; first panes lie on its left.
class VerticalSplitterBar : public SplitterBar {
    Q_OBJECT

public:
    explicit VerticalSplitterBar(QWidget* parent = nullptr);
};

// A horizontal bar, dragged up and down; first panes lie above it.
class HorizontalSplitterBar : public SplitterBar {
    Q_OBJECT

public:
    explicit HorizontalSplitterBar(QWidget* parent = nullptr);
};

}  // namespace corvane
