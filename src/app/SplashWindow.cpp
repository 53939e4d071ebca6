#include "app/SplashWindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "widgets/Artwork.h"

namespace corvane {

SplashWindow::SplashWindow(QWidget* parent) : QDialog(parent), picture_(new QLabel(this)) {
    setWindowTitle(tr("About Corvane MP3"));
    setWindowIcon(ArtworkIcon(artwork::kAppIcon));
    QSize size = ArtworkSize(artwork::kSplash);
    if (size.isEmpty()) {
        size = QSize(400, 250);
    }
    picture_->setPixmap(ArtworkPixmap(artwork::kSplash, size, devicePixelRatioF()));
    picture_->setFixedSize(size);
    picture_->setCursor(Qt::PointingHandCursor);
    picture_->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void SplashWindow::ShowAsSplash() {
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picture_ && event->type() == QEvent::MouseButtonRelease) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace corvane
