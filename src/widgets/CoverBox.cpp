#include "widgets/CoverBox.h"

#include <QBuffer>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QToolButton>
#include <QVBoxLayout>

#include "musicbrainz/CoverArtClient.h"

namespace corvane {

namespace {

constexpr int kBoxSide = 60;

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Text(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

bool QtImageScaler::Scale(const CoverPicture& in, int maxSide, std::size_t maxBytes,
                          CoverPicture& out) {
    QImage image;
    if (!image.loadFromData(Bytes(in.bytes))) {
        return false;
    }
    if (std::max(image.width(), image.height()) > maxSide) {
        image = image.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    // A JPEG of falling quality until it fits.
    for (int quality = 90; quality >= 50; quality -= 10) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "JPEG", quality)) {
            return false;
        }
        if (static_cast<std::size_t>(bytes.size()) <= maxBytes || quality == 50) {
            out = {Text(bytes), "image/jpeg"};
            return true;
        }
    }
    return false;
}

CoverBox::CoverBox(QWidget* parent)
    : QWidget(parent), picture_(new QLabel(this)), chooseButton_(new QToolButton(this)) {
    setAcceptDrops(true);
    picture_->setFixedSize(kBoxSide, kBoxSide);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setFrameShape(QFrame::StyledPanel);
    picture_->setToolTip(tr("Drop a picture here to make it the front cover"));
    chooseButton_->setText(tr("Cover..."));
    chooseButton_->setToolTip(tr("Choose the front cover of the selected files"));
    chooseButton_->setFixedWidth(kBoxSide);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture_);
    layout->addWidget(chooseButton_);
    connect(chooseButton_, &QToolButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, tr("Front Cover"), QString(),
                                                          tr("Pictures (*.jpg *.jpeg *.png)"));
        if (!path.isEmpty()) {
            ChooseFile(path);
        }
    });
}

void CoverBox::ShowPicture(const CoverPicture& picture) {
    chosen_ = {};
    Display(Bytes(picture.bytes));
}

void CoverBox::Display(const QByteArray& bytes) {
    QImage image;
    if (bytes.isEmpty() || !image.loadFromData(bytes)) {
        picture_->setPixmap(QPixmap());
        picture_->setText(tr("No cover"));
        return;
    }
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap = QPixmap::fromImage(image.scaled(
        QSize(kBoxSide, kBoxSide) * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    picture_->setPixmap(pixmap);
}

bool CoverBox::ChooseFile(const QString& path) {
    QFile file(path);
    if (!isEnabled() || !file.open(QIODevice::ReadOnly) || file.size() > qint64(kMaxCoverBytes)) {
        return false;
    }
    CoverPicture picture{Text(file.readAll()), {}};
    picture.mime = PictureMime(picture.bytes);
    if (picture.mime.empty() || QImage::fromData(Bytes(picture.bytes)).isNull()) {
        return false;
    }
    std::string note;
    QtImageScaler scaler;
    chosen_ = EmbeddablePicture(picture, &scaler, note);
    Display(Bytes(chosen_.bytes));
    emit pictureChosen();
    return true;
}

void CoverBox::dragEnterEvent(QDragEnterEvent* event) {
    if (isEnabled() && event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CoverBox::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile() && ChooseFile(url.toLocalFile())) {
            event->acceptProposedAction();
            return;
        }
    }
}

void CoverBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        chooseButton_->setEnabled(isEnabled());
    }
    QWidget::changeEvent(event);
}

}  // namespace corvane
