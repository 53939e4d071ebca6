#include "widgets/IconButton.h"

#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <algorithm>

#include "widgets/Artwork.h"
#include "widgets/IconButtonLayout.h"

namespace corvane {

IconButton::IconButton(QWidget* parent) : QPushButton(parent) {}

IconButton::IconButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

bool IconButton::SetIcon(const QString& path, int width, int height) {
    return SetIcon(ArtworkIcon(path), width, height);
}

bool IconButton::SetIcon(const QIcon& icon, int width, int height) {
    const QSize size(width, height);
    const bool loaded = !icon.isNull() && !size.isEmpty() && !icon.pixmap(size).isNull();
    icon_ = loaded ? icon : QIcon();
    iconSize_ = loaded ? size : QSize();
    update();
    return loaded;
}

QPoint IconButton::SetIconPos(int x, int y) {
    const QPoint old = iconPos_;
    iconPos_ = QPoint(x, y);
    autoLayout_ = false;
    update();
    return old;
}

QPoint IconButton::SetTextPos(int x, int y) {
    const QPoint old = textPos_;
    textPos_ = QPoint(x, y);
    autoLayout_ = false;
    update();
    return old;
}

QSize IconButton::sizeHint() const {
    QSize hint = QPushButton::sizeHint();
    if (HasIcon()) {
        const int extra = text().isEmpty() ? 0 : kGap;
        hint.rwidth() += iconSize_.width() + extra;
        hint.setHeight(std::max(hint.height(), iconSize_.height() + 2 * kMargin));
    }
    return hint;
}

void IconButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The face only; icon and caption are placed below.
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const QString caption = text();
    const QFontMetrics metrics = fontMetrics();
    const QRect textBounds =
        metrics.boundingRect(QRect(0, 0, width(), height()), Qt::TextShowMnemonic, caption);

    IconButtonMetrics m;
    m.width = width();
    m.height = height();
    m.hasIcon = HasIcon();
    m.iconWidth = iconSize_.width();
    m.iconHeight = iconSize_.height();
    m.hasText = !caption.isEmpty();
    m.textWidth = m.hasText ? textBounds.width() : 0;
    m.textHeight = m.hasText ? textBounds.height() : 0;
    m.autoLayout = autoLayout_;
    m.iconX = iconPos_.x();
    m.iconY = iconPos_.y();
    m.textX = textPos_.x();
    m.textY = textPos_.y();
    m.pressed = isDown() || isChecked();
    m.margin = kMargin;
    m.gap = kGap;
    const IconButtonPlacement place = LayoutIconButton(m);

    if (m.hasIcon) {
        const QPixmap pixmap = icon_.pixmap(iconSize_, devicePixelRatio(),
                                            isEnabled() ? QIcon::Normal : QIcon::Disabled);
        painter.drawPixmap(QRect(QPoint(place.iconX, place.iconY), iconSize_), pixmap);
    }
    if (m.hasText) {
        // The palette's disabled group gives the platform's disabled look.
        const QRect textRect(place.textX, place.textY, m.textWidth, m.textHeight);
        painter.drawItemText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic,
                             palette(), isEnabled(), caption, QPalette::ButtonText);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

}  // namespace corvane
