#pragma once

#include <QDialog>

#include "lookup/LookupView.h"

class QLabel;
class QPushButton;

namespace corvane {

// Asks what to do when the album read has more or fewer tracks than the
// folder has files: select a new album, keep the album, or cancel the query.
class TrackCountDialog : public QDialog {
    Q_OBJECT

public:
    explicit TrackCountDialog(QWidget* parent = nullptr);

    // notEnough: fewer files than tracks. allowNewAlbum: another album can be
    // chosen (after a keyword search). Runs the dialog modally.
    virtual TrackCountAnswer AskTrackCount(bool notEnough, bool allowNewAlbum);
    // Sets the captions, texts and pictures without running the dialog.
    void Prepare(bool notEnough, bool allowNewAlbum);

    QPushButton* NewAlbumButton() const { return newAlbum_; }
    QPushButton* KeepButton() const { return keep_; }
    QPushButton* CancelButton() const { return cancel_; }
    QLabel* TooManyText() const { return tooManyText_; }
    QLabel* NotEnoughText() const { return notEnoughText_; }
    QLabel* TooManyPicture() const { return tooManyPicture_; }
    QLabel* NotEnoughPicture() const { return notEnoughPicture_; }

    // Esc and the close box cancel the query.
    void reject() override;

private:
    void Answer(TrackCountAnswer answer);

    QPushButton* newAlbum_;
    QPushButton* keep_;
    QPushButton* cancel_;
    QLabel* tooManyPicture_;
    QLabel* notEnoughPicture_;
    QLabel* tooManyText_;
    QLabel* notEnoughText_;
};

}  // namespace corvane
