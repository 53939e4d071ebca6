#pragma once

#include <QIcon>
#include <QPoint>
#include <QPushButton>

namespace corvane {

// A push button that draws a small icon beside its caption. By default the icon sits at the
// left margin and the caption in the middle of the room right of it; `SetIconPos` or
// `SetTextPos` place them by hand (-1 centres along that axis). While pressed, both move one
// pixel right and down.
class IconButton : public QPushButton {
    Q_OBJECT

public:
    explicit IconButton(QWidget* parent = nullptr);
    IconButton(const QString& text, QWidget* parent = nullptr);

    // Loads the icon at width x height; false (and no icon) when it cannot be loaded.
    bool SetIcon(const QString& path, int width, int height);
    bool SetIcon(const QIcon& icon, int width, int height);
    // Each stores the position, turns the automatic layout off and returns the old position.
    QPoint SetIconPos(int x, int y);
    QPoint SetTextPos(int x, int y);

    bool HasIcon() const { return !icon_.isNull(); }
    QSize IconSize() const { return iconSize_; }
    bool IsAutoLayout() const { return autoLayout_; }

    static constexpr int kMargin = 4;
    static constexpr int kGap = 8;

    // Room for the caption as a push button needs it, plus the icon and the gap beside it.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool autoLayout_ = true;
    QPoint iconPos_{-1, -1};
    QPoint textPos_{-1, -1};
    QIcon icon_;
    QSize iconSize_;
};

}  // namespace corvane
