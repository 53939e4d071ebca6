#include "widgets/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace corvane {

void FitIntoScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    // The frame and title bar come on top of the client size; before the window is shown
    // the frame is not known yet, so a common title bar's height is kept free.
    const QRect available = screen->availableGeometry();
    const int frameWidth = std::max(0, window.frameGeometry().width() - window.width());
    int frameHeight = window.frameGeometry().height() - window.height();
    if (frameHeight <= 0 && !window.isVisible()) {
        frameHeight = 32;
    }
    const QSize room(std::max(1, available.width() - frameWidth),
                     std::max(1, available.height() - std::max(0, frameHeight)));
    window.resize(window.size().boundedTo(room));
    QRect frame(QPoint(), window.size() + QSize(frameWidth, std::max(0, frameHeight)));
    frame.moveCenter(available.center());
    window.move(std::max(frame.left(), available.left()), std::max(frame.top(), available.top()));
}

}  // namespace corvane
