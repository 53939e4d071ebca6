#include "widgets/StatusListCtrl.h"

namespace corvane {

namespace {

QString OneLine(const std::string& text) {
    constexpr qsizetype kMaxStatusChars = 1000;
    QString line = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (line.size() > kMaxStatusChars) {
        line = line.left(kMaxStatusChars) + QStringLiteral("...");
    }
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line.trimmed();
}

}  // namespace

StatusListCtrl::StatusListCtrl(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setUniformItemSizes(true);
    // By pixel, so that scrolling to the bottom shows the last line whole.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void StatusListCtrl::AddLine(const std::string& text) {
    if (text == lastText_) {
        return;
    }
    lastText_ = text;
    addItem(OneLine(text));
    setCurrentRow(count() - 1);
    doItemsLayout();
    scrollToBottom();
    // A network wait that follows blocks the event loop: paint the line now,
    // so that "Connecting... Please wait" is seen while it waits.
    if (isVisible()) {
        viewport()->repaint();
    }
}

}  // namespace corvane
