#pragma once

#include <QDialog>

class QLabel;

namespace corvane {

// The program's picture, shown while the program starts and by the about
// button. A click on the picture closes it as OK would.
class SplashWindow : public QDialog {
    Q_OBJECT

public:
    explicit SplashWindow(QWidget* parent = nullptr);

    // At start: frameless, on top of other windows, centred on the screen.
    void ShowAsSplash();

    QLabel* Picture() const { return picture_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* picture_;
};

}  // namespace corvane
