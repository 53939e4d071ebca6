#include "widgets/IconStatic.h"

#include <QLabel>

#include "widgets/Artwork.h"

namespace corvane {

bool SetStaticPicture(QLabel* label, const QString& path, QSize size) {
    if (label == nullptr) {
        return false;
    }
    const QPixmap pixmap = ArtworkPixmap(path, size, label->devicePixelRatioF());
    if (pixmap.isNull()) {
        return false;
    }
    label->setPixmap(pixmap);
    return true;
}

}  // namespace corvane
