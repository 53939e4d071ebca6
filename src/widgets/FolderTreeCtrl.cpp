#include "widgets/FolderTreeCtrl.h"

#include <QPainter>
#include <QStyleOptionViewItem>

#include "widgets/Artwork.h"
#include "widgets/LoadingProgress.h"

namespace corvane {

CFolderTreeCtrl::CFolderTreeCtrl(QWidget* parent) : CShellTreeCtrl(parent) {
    SetAnimate(true);
    SetTickPeriod(125);
}

void CFolderTreeCtrl::OnLoadingStart(QTreeWidgetItem* loadingItem) {
    frame_ = 0;
    barFill_ = 0;
    const int extent = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const QSize iconSize = this->iconSize().isValid() ? this->iconSize() : QSize(extent, extent);
    if (frames_[0].isNull() || frames_[0].deviceIndependentSize().toSize() != iconSize) {
        for (int i = 0; i < artwork::kLoadingFrameCount; ++i) {
            frames_[i] = ArtworkPixmap(LoadingFramePath(i), iconSize, devicePixelRatioF());
        }
    }
    // A blank icon keeps the place of the animation free, as for any folder item.
    QPixmap blank(iconSize);
    blank.fill(Qt::transparent);
    loadingItem->setIcon(0, QIcon(blank));

    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualItemRect(loadingItem);
    option.text = loadingItem->text(0);
    option.icon = loadingItem->icon(0);
    option.decorationSize = iconSize;
    option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    const QRect textRect = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    const QRect decoration =
        style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, this);
    iconRect_ = decoration.isValid() ? QRect(decoration.topLeft(), iconSize)
                                     : QRect(textRect.left() - 3 - iconSize.width(),
                                             textRect.center().y() - iconSize.height() / 2,
                                             iconSize.width(), iconSize.height());
    const int textEnd = textRect.left() + fontMetrics().horizontalAdvance(option.text) +
                        style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int barHeight = std::min(textRect.height(), 16);
    barOuter_ = QRect(textEnd + 3, textRect.top() + (textRect.height() - barHeight) / 2, kBarWidth,
                      barHeight);
    active_ = true;
}

void CFolderTreeCtrl::OnLoadingTick(bool timerFired, int progressTotal, int progressDone) {
    if (!active_) {
        return;
    }
    if (timerFired) {
        frame_ = (frame_ + 1) % artwork::kLoadingFrameCount;
        viewport()->update(iconRect_);
    } else {
        barFill_ = LoadingBarFill(progressTotal, progressDone, kBarWidth - 2 * kBarInset);
        viewport()->update(barOuter_);
    }
}

void CFolderTreeCtrl::OnLoadingEnd() {
    active_ = false;
    viewport()->update(iconRect_.united(barOuter_));
}

void CFolderTreeCtrl::paintEvent(QPaintEvent* event) {
    CShellTreeCtrl::paintEvent(event);
    if (!active_) {
        return;
    }
    QPainter painter(viewport());
    painter.fillRect(iconRect_, palette().color(QPalette::Base));
    painter.drawPixmap(iconRect_.topLeft(), frames_[frame_]);
    const QColor base = palette().color(QPalette::Base);
    painter.fillRect(barOuter_, base);
    // Black, as on a light ground; a dark palette gets its own text colour instead.
    painter.setPen(base.lightness() < 128 ? palette().color(QPalette::Text) : QColor(Qt::black));
    painter.drawRect(barOuter_.adjusted(0, 0, -1, -1));
    const QRect inner = barOuter_.adjusted(kBarInset, kBarInset, -kBarInset, -kBarInset);
    painter.fillRect(QRect(inner.left(), inner.top(), barFill_, inner.height()), QColor(255, 0, 0));
}

}  // namespace corvane
