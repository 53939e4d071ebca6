#pragma once

#include <QHeaderView>
#include <QPointer>
#include <vector>

namespace corvane {

// Per-column extras of the flat header.
struct HeaderItemEx {
    int style = 0;
    int minWidth = 0;
    int maxWidth = -1;  // a minimum above the maximum means "no limits"
};

// A column header painted flat in the palette's 3D colours, with a raised triangle in the
// sort column, per-column width limits and fixed widths, and column reordering by drag with
// a floating copy of the header and a drop marker. The parent may veto a drag through the
// `beginDrag` and `endDrag` signals (connect them directly).
class CFlatHeaderCtrl : public QHeaderView {
    Q_OBJECT

public:
    static constexpr int kFixedWidth = 4;  // style flag of a column the user cannot resize
    static constexpr int kSpacing = 6;     // between image, text and sort triangle
    static constexpr int kTriangleSize = 8;

    explicit CFlatHeaderCtrl(Qt::Orientation orientation = Qt::Horizontal,
                             QWidget* parent = nullptr);
    ~CFlatHeaderCtrl() override;

    // The width that shows the section's image and whole text, with room
    // for the sort triangle.
    int SectionWidthNeeded(int logicalIndex) const;

    void setModel(QAbstractItemModel* model) override;

    void SetSortColumn(int column, bool ascending);
    // The sort column, -1 when none; `ascending` receives the direction when not null.
    int GetSortColumn(bool* ascending = nullptr) const;

    bool GetItemEx(int index, HeaderItemEx* record) const;
    bool SetItemEx(int index, const HeaderItemEx& record);

    // Allows reordering columns by dragging them (off by default).
    void SetDragColumns(bool allow) { dragColumns_ = allow; }
    bool DragColumns() const { return dragColumns_; }

    // The insertion place (0..count, in display order) a column drag would drop at; -1 when
    // no drag runs or the place is not a move.
    int DropTarget() const { return dropTarget_; }
    bool IsDraggingColumn() const { return columnDrag_; }
    // The floating copy and the drop marker while a drag runs (null otherwise).
    QWidget* DragWindow() const { return dragWindow_; }
    QWidget* DropMarker() const { return dropMarker_; }

signals:
    // Set *veto to true to keep the column where it is.
    void beginDrag(int logicalIndex, bool* veto);
    void endDrag(int logicalIndex, int targetVisualPlace, bool* veto);

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void OnColumnsInserted(const QModelIndex& parent, int first, int last);
    void OnColumnsRemoved(const QModelIndex& parent, int first, int last);
    void OnSectionResized(int logicalIndex, int oldSize, int newSize);
    void SyncExtras();
    bool IsFixed(int logicalIndex) const;
    int HandleAt(int pos) const;
    int Along(const QPoint& p) const;
    QPixmap SectionPicture(int logicalIndex) const;
    void StartColumnDrag(const QPoint& pos);
    void TrackColumnDrag(const QPoint& pos);
    void FinishColumnDrag();
    void DrawSortTriangle(QPainter* painter, const QRect& box, bool ascending) const;

    std::vector<HeaderItemEx> extras_;
    int sortColumn_ = -1;
    bool ascending_ = true;
    bool dragColumns_ = false;

    int pressed_ = -1;  // logical index of the pressed item
    QPoint pressPos_;
    bool widthDrag_ = false;
    bool columnDrag_ = false;
    bool dragVetoed_ = false;
    int dropTarget_ = -1;
    bool adjusting_ = false;
    QPointer<QWidget> dragWindow_;
    QPointer<QWidget> dropMarker_;
};

}  // namespace corvane
