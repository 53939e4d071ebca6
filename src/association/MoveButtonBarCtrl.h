#pragma once

#include <QPixmap>
#include <QRect>
#include <QWidget>
#include <array>

namespace corvane {

class CListBoxEx;

// A caption strip with three small buttons at its right end, Delete, Move Up
// and Move Down, that act on the current row of one movable list.
class CMoveButtonBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kButtonWidth = 22;
    static constexpr int kButtonHeight = 20;
    static constexpr int kNoButton = 3;

    explicit CMoveButtonBar(const QString& caption, QWidget* parent = nullptr);

    void SetTarget(CListBoxEx* target) { target_ = target; }
    QString Caption() const { return caption_; }
    QRect ButtonRect(int button) const;
    int ButtonAt(const QPoint& pos) const;
    int HotButton() const { return hotButton_; }
    bool IsPressed() const { return pressed_; }
    // Runs a button's command on the target's current row.
    void RunCommand(int button);
    static QString ToolTipText(int button);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetHot(int button);

    CListBoxEx* target_ = nullptr;
    QString caption_;
    QPixmap glyphs_;
    int hotButton_ = kNoButton;
    bool pressed_ = false;
};

}  // namespace corvane
