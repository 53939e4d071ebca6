#pragma once

#include <QDialog>
#include <QPointer>
#include <vector>

#include "widgets/AnchorLayout.h"

class QSizeGrip;

namespace corvane {

// A dialog the user can resize: its child controls move and stretch by anchors given in per
// cent of the client area, it cannot become smaller than it was after set-up, and it shows a
// size grip in the bottom-right corner.
//
// Derived dialogs place their controls, size themselves and register anchors (usually in the
// constructor). Set-up ends at the first show, or earlier with `FinishSetup`; from then on the
// size is the minimum and every resize runs `ArrangeLayout`.
class ResizableDialog : public QDialog {
    Q_OBJECT

public:
    explicit ResizableDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~ResizableDialog() override;

    // Registers a control (a descendant of the dialog) from its current rectangle.
    void AddAnchor(QWidget* control, Anchor topLeft, Anchor bottomRight = NoAnchor);
    // Registers an already anchored control again from its current rectangle, so that its
    // present size becomes the base of later resizing; false when it was not anchored.
    bool ReAnchor(QWidget* control, Anchor topLeft, Anchor bottomRight);
    bool IsAnchored(const QWidget* control) const;

    void ShowSizeGrip(bool show);
    bool IsSizeGripShown() const { return showGrip_; }
    // The grip's rectangle in client coordinates.
    QRect GripRect() const;

    // Keeps the dialog from shrinking below its size after set-up (on by default).
    void SetUseMinTrack(bool use);

    // Places every registered control for the current client size.
    void ArrangeLayout();

    // Ends set-up: the current size becomes the minimum and resizing arranges the controls.
    void FinishSetup();
    bool IsSetupDone() const { return initDone_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct LayoutItem {
        QPointer<QWidget> control;
        bool adjustScroll = false;
        bool refreshOnMove = false;
        AnchorPlacement placement;
    };

    QRect RectInDialog(const QWidget* control) const;
    void PlaceControl(const LayoutItem& item, const QRect& inDialog);
    void UpdateGrip();

    bool showGrip_ = true;
    bool useMinTrack_ = true;
    bool initDone_ = false;
    QSize minTrackSize_;
    QSizeGrip* grip_ = nullptr;
    std::vector<LayoutItem> items_;
};

}  // namespace corvane
