#include "association/MoveButtonBarCtrl.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QToolTip>

#include "association/ListBoxExCtrl.h"
#include "widgets/Artwork.h"

namespace corvane {

CMoveButtonBar::CMoveButtonBar(const QString& caption, QWidget* parent)
    : QWidget(parent),
      caption_(caption),
      glyphs_(ArtworkPixmap(artwork::kMoveBarGlyphs, QSize(4 * kButtonWidth, kButtonHeight))) {
    setMouseTracking(true);
    setMinimumHeight(kButtonHeight);
}

QRect CMoveButtonBar::ButtonRect(int button) const {
    if (button < 0 || button >= kNoButton) {
        return {};
    }
    const int left = width() - 3 * kButtonWidth + kButtonWidth * button;
    return {left, (height() - kButtonHeight) / 2, kButtonWidth, kButtonHeight};
}

int CMoveButtonBar::ButtonAt(const QPoint& pos) const {
    for (int button = 0; button < kNoButton; ++button) {
        if (ButtonRect(button).contains(pos)) {
            return button;
        }
    }
    return kNoButton;
}

QString CMoveButtonBar::ToolTipText(int button) {
    switch (button) {
        case 0:
            return tr("Delete");
        case 1:
            return tr("Move Up");
        case 2:
            return tr("Move Down");
        default:
            return {};
    }
}

void CMoveButtonBar::RunCommand(int button) {
    if (target_ == nullptr || target_->currentRow() < 0) {
        return;
    }
    const int row = target_->currentRow();
    if (button == 0) {
        target_->SetRowText(row, QString());
    } else if (button == 1) {
        target_->MoveUp(row);
    } else if (button == 2) {
        target_->MoveDown(row);
    }
}

bool CMoveButtonBar::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int button = ButtonAt(help->pos());
        if (button == kNoButton) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), ToolTipText(button), this, ButtonRect(button));
        }
        return true;
    }
    return QWidget::event(event);
}

void CMoveButtonBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().adjusted(2, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption_);
    for (int button = 0; button < kNoButton; ++button) {
        const QRect target = ButtonRect(button);
        // Cell 0 of the strip is left empty; the buttons show cells 1 to 3.
        painter.drawPixmap(target, glyphs_,
                           QRect((button + 1) * kButtonWidth, 0, kButtonWidth, kButtonHeight));
    }
    if (hotButton_ != kNoButton) {
        const QRect frame = ButtonRect(hotButton_).adjusted(0, 0, -1, -1);
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        const QColor& topLeft = pressed_ ? dark : light;
        const QColor& bottomRight = pressed_ ? light : dark;
        painter.setPen(topLeft);
        painter.drawLine(frame.topLeft(), frame.topRight());
        painter.drawLine(frame.topLeft(), frame.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(frame.bottomLeft(), frame.bottomRight());
        painter.drawLine(frame.topRight(), frame.bottomRight());
    }
}

void CMoveButtonBar::SetHot(int button) {
    if (button != hotButton_) {
        hotButton_ = button;
        update();
    }
}

void CMoveButtonBar::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) {
        SetHot(ButtonAt(event->position().toPoint()));
    }
}

void CMoveButtonBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    SetHot(ButtonAt(event->position().toPoint()));
    if (hotButton_ != kNoButton) {
        pressed_ = true;
        update();
    }
}

void CMoveButtonBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const int under = ButtonAt(event->position().toPoint());
    // A press released over another button, or off the buttons, runs nothing.
    if (pressed_ && under == hotButton_ && under != kNoButton) {
        RunCommand(under);
    }
    pressed_ = false;
    hotButton_ = under;
    update();
}

void CMoveButtonBar::leaveEvent(QEvent* /*event*/) {
    if (!pressed_) {
        SetHot(kNoButton);
    }
}

}  // namespace corvane
