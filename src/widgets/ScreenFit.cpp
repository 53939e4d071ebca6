#include "widgets/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace corvane {

namespace {

const QScreen* ScreenOf(const QWidget& window) {
    const QScreen* screen = window.screen();
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

// The frame and title bar around the client area; before the window is shown the frame is
// not known yet, so a common title bar's height is kept free.
QSize FrameExtra(const QWidget& window) {
    const int width = std::max(0, window.frameGeometry().width() - window.width());
    int height = window.frameGeometry().height() - window.height();
    if (height <= 0 && !window.isVisible()) {
        height = 32;
    }
    return {width, std::max(0, height)};
}

}  // namespace

QSize AvailableScreenSize(const QWidget& window) {
    const QScreen* screen = ScreenOf(window);
    if (screen == nullptr) {
        return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    }
    const QSize room = screen->availableGeometry().size() - FrameExtra(window);
    return room.expandedTo(QSize(1, 1));
}

void FitIntoScreen(QWidget& window, bool centre) {
    const QScreen* screen = ScreenOf(window);
    if (screen == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    window.resize(window.size().boundedTo(AvailableScreenSize(window)));
    if (!centre && available.contains(QRect(window.pos(), window.size() + FrameExtra(window)))) {
        return;
    }
    QRect frame(QPoint(), window.size() + FrameExtra(window));
    frame.moveCenter(available.center());
    window.move(std::max(frame.left(), available.left()), std::max(frame.top(), available.top()));
}

}  // namespace corvane
