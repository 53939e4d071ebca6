#pragma once

#include <QListWidget>

namespace corvane {

// A list whose rows the user reorders by dragging, by Alt+arrow keys and by
// commands, drawn with alternate shading. Each row keeps its item data
// (Qt::UserRole and up) through every move.
class CListBoxEx : public QListWidget {
    Q_OBJECT

public:
    static constexpr int kShadeGrey = 232;
    static constexpr int kTextIndent = 8;

    explicit CListBoxEx(QWidget* parent = nullptr);

    // Exchanges text and item data of rows a and b.
    void SwapRows(int a, int b);
    // Moves a row one up or down, selects it and emits rowMoved.
    void MoveUp(int row);
    void MoveDown(int row);
    // Rewrites a row's text, keeping its item data.
    void SetRowText(int row, const QString& text);
    // After a drop the partner selects the same row.
    void SetPartner(CListBoxEx* partner) { partner_ = partner; }
    void EnableMove(bool enable) { moveEnabled_ = enable; }
    bool IsMoveEnabled() const { return moveEnabled_; }

    // The drag, step by step; the mouse drives these too.
    bool BeginDrag(int row);
    // Shows the insert marker before a row (-1 for none).
    void DragOver(int row);
    // Puts the dragged row before row `before`; false when nothing moved.
    bool Drop(int before);
    void CancelDrag();
    bool IsDragging() const { return dragRow_ >= 0; }
    bool HasDropRow() const { return dropRowAdded_; }
    int InsertIndex() const { return insertIndex_; }

signals:
    // A row moved to `row`; -1 while a row is being dragged.
    void rowMoved(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void RewriteRow(int row, QListWidgetItem* from);
    void EndDrag();
    int RowAt(const QPoint& pos) const;

    CListBoxEx* partner_ = nullptr;
    bool moveEnabled_ = true;
    bool dropRowAdded_ = false;
    int insertIndex_ = -1;
    int dragRow_ = -1;
    int pressRow_ = -1;
    QPoint pressPos_;
};

}  // namespace corvane
