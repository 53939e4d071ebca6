#include "lookup/TrackCountDialog.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/Artwork.h"

namespace corvane {

namespace {

constexpr const char* kTooManyText =
    "The number of MP3 tracks doesn't match the one given by CDDB. This happen when a wrong album "
    "is selected from the database. \n\nYou can : \n- Select a new album, \n- Rename the first "
    "tracks and ignore the rest,\n- Cancel the query.";
constexpr const char* kNotEnoughText =
    "The number of MP3 tracks doesn't match the one given by CDDB. Some MP3 files are missing "
    "(incomplete album) or a wrong album is selected from the database. \nYou can : \n- Select a "
    "new album, \n- Keep the album and ignore the missing files,\n- Cancel the query.";
constexpr QSize kPictureSize(112, 112);

QLabel* MakePicture(const char* path, QWidget* parent) {
    auto* picture = new QLabel(parent);
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setAlignment(Qt::AlignCenter);
    picture->setFixedSize(kPictureSize + QSize(4, 4));
    picture->setPixmap(ArtworkPixmap(path, kPictureSize, parent->devicePixelRatioF()));
    return picture;
}

QLabel* MakeText(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setMinimumWidth(320);
    return label;
}

}  // namespace

TrackCountDialog::TrackCountDialog(QWidget* parent)
    : QDialog(parent),
      newAlbum_(new QPushButton(tr("Select &New Album"), this)),
      keep_(new QPushButton(tr("&Keep Album"), this)),
      cancel_(new QPushButton(tr("&Cancel Query"), this)),
      tooManyPicture_(MakePicture(artwork::kTrackCountTooMany, this)),
      notEnoughPicture_(MakePicture(artwork::kTrackCountNotEnough, this)),
      tooManyText_(MakeText(kTooManyText, this)),
      notEnoughText_(MakeText(kNotEnoughText, this)) {
    setWindowIcon(ArtworkIcon(artwork::kAppIcon));
    newAlbum_->setDefault(true);

    auto* body = new QHBoxLayout;
    body->addWidget(tooManyPicture_, 0, Qt::AlignTop);
    body->addWidget(notEnoughPicture_, 0, Qt::AlignTop);
    body->addSpacing(6);
    body->addWidget(tooManyText_, 1);
    body->addWidget(notEnoughText_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(newAlbum_);
    buttons->addWidget(keep_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(newAlbum_, &QPushButton::clicked, this,
            [this] { Answer(TrackCountAnswer::kSelectNewAlbum); });
    connect(keep_, &QPushButton::clicked, this, [this] { Answer(TrackCountAnswer::kKeepAlbum); });
    connect(cancel_, &QPushButton::clicked, this,
            [this] { Answer(TrackCountAnswer::kCancelQuery); });
    Prepare(false, false);
}

void TrackCountDialog::Prepare(bool notEnough, bool allowNewAlbum) {
    setWindowTitle(notEnough ? tr("Not enough MP3 files !") : tr("Too many MP3 files !"));
    tooManyPicture_->setVisible(!notEnough);
    tooManyText_->setVisible(!notEnough);
    notEnoughPicture_->setVisible(notEnough);
    notEnoughText_->setVisible(notEnough);
    newAlbum_->setEnabled(allowNewAlbum);
    // A disabled default button would leave Enter without a target.
    newAlbum_->setDefault(allowNewAlbum);
    keep_->setDefault(!allowNewAlbum);
    (allowNewAlbum ? newAlbum_ : keep_)->setFocus();
}

TrackCountAnswer TrackCountDialog::AskTrackCount(bool notEnough, bool allowNewAlbum) {
    Prepare(notEnough, allowNewAlbum);
    const auto result = static_cast<TrackCountAnswer>(exec());
    return result == TrackCountAnswer::kSelectNewAlbum || result == TrackCountAnswer::kKeepAlbum
               ? result
               : TrackCountAnswer::kCancelQuery;
}

void TrackCountDialog::Answer(TrackCountAnswer answer) {
    done(static_cast<int>(answer));
}

void TrackCountDialog::reject() {
    Answer(TrackCountAnswer::kCancelQuery);
}

}  // namespace corvane
