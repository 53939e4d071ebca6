#pragma once

#include <QPixmap>
#include <array>

#include "widgets/ShellTreeCtrl.h"

namespace corvane {

// The folder tree of the main window: while a folder loads, a turning animation stands left
// of the "Loading..." placeholder and a small red bar right of it shows the progress.
class CFolderTreeCtrl : public CShellTreeCtrl {
    Q_OBJECT

public:
    static constexpr int kBarWidth = 56;
    static constexpr int kBarInset = 3;

    explicit CFolderTreeCtrl(QWidget* parent = nullptr);

    // What is drawn during a load, for tests and the gallery.
    int Frame() const { return frame_; }
    QRect IconRect() const { return iconRect_; }
    QRect BarRect() const { return barOuter_; }
    int BarFill() const { return barFill_; }

protected:
    void OnLoadingStart(QTreeWidgetItem* loadingItem) override;
    void OnLoadingTick(bool timerFired, int progressTotal, int progressDone) override;
    void OnLoadingEnd() override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QPixmap, 10> frames_;
    bool active_ = false;
    int frame_ = 0;
    int barFill_ = 0;
    QRect iconRect_;
    QRect barOuter_;
};

}  // namespace corvane
