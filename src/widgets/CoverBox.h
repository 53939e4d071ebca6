#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

#include "processing/AlbumCover.h"

class QLabel;
class QToolButton;

namespace corvane {

// Scales covers with Qt's image reader and writer: the window's scaler for
// the pictures core embeds.
class QtImageScaler : public ImageScaler {
public:
    bool Scale(const CoverPicture& in, int maxSide, std::size_t maxBytes,
               CoverPicture& out) override;
};

// A picture box beside the tag fields: it shows a cover, and a picture
// dropped on it or chosen with its button becomes the cover to write.
class CoverBox : public QWidget {
    Q_OBJECT

public:
    explicit CoverBox(QWidget* parent = nullptr);

    // Shows the picture (empty: none) and forgets a chosen one.
    void ShowPicture(const CoverPicture& picture);
    // The picture dropped or chosen since, scaled for embedding; empty when
    // none was.
    const CoverPicture& Chosen() const { return chosen_; }
    // Takes a picture file as if it had been dropped; false when it is none.
    bool ChooseFile(const QString& path);

signals:
    void pictureChosen();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Display(const QByteArray& bytes);

    QLabel* picture_;
    QToolButton* chooseButton_;
    CoverPicture chosen_;
};

}  // namespace corvane
