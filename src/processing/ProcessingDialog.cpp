#include "processing/ProcessingDialog.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "widgets/Artwork.h"

namespace corvane {

namespace {

constexpr int kPictureSize = 48;
// Dark enough to read on a light list, bright enough on a dark one.
const QColor kProblemColor(0xd0, 0x30, 0x30);

// Stands in for a step picture the resources do not hold.
QPixmap PlaceholderPicture(int step, ProcessingDialog::StepPicture state) {
    QPixmap pixmap(kPictureSize, kPictureSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool failed = state == ProcessingDialog::StepPicture::kFailed;
    const bool begun = state == ProcessingDialog::StepPicture::kBegun;
    painter.setPen(QPen(failed  ? kProblemColor
                        : begun ? QColor(0x15, 0x80, 0x3d)
                                : QColor(0x80, 0x80, 0x80),
                        2));
    painter.setBrush(failed  ? QColor(0xfd, 0xec, 0xec)
                     : begun ? QColor(0xe8, 0xf5, 0xec)
                             : QColor(0xf0, 0xf0, 0xf0));
    painter.drawRoundedRect(QRectF(1, 1, kPictureSize - 2, kPictureSize - 2), 7, 7);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString::number(step + 1));
    return pixmap;
}

}  // namespace

ProcessingDialog::ProcessingDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      pipeline_(*this) {
    setWindowTitle(tr("Processing Files"));
    setModal(true);

    auto* pictureRow = new QHBoxLayout;
    for (std::size_t step = 0; step < pictures_.size(); ++step) {
        pictures_[step] = new QLabel(this);
        pictures_[step]->setAlignment(Qt::AlignCenter);
        pictures_[step]->setMinimumSize(kPictureSize, kPictureSize);
        pictureRow->addWidget(pictures_[step]);
    }

    auto* group = new QGroupBox(tr("Processing Files"), this);
    log_ = new QListWidget(group);
    // A failure names the file and the reason: long lines wrap, so that the reason is read
    // whole without scrolling sideways.
    log_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    log_->setWordWrap(true);
    log_->setTextElideMode(Qt::ElideNone);
    log_->setResizeMode(QListView::Adjust);
    log_->setMinimumSize(420, 160);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(log_);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setTextVisible(false);

    ok_ = new QPushButton(tr("OK"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(progress_, 1);
    buttonRow->addWidget(ok_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pictureRow);
    layout->addWidget(group, 1);
    layout->addLayout(buttonRow);

    timer_.setInterval(kStepInterval);
    connect(&timer_, &QTimer::timeout, this, &ProcessingDialog::OnTick);
    for (int step = 0; step < static_cast<int>(pictures_.size()); ++step) {
        ShowStepPicture(step, StepPicture::kBefore);
    }
}

void ProcessingDialog::SetLists(const TrackList& files, const TrackList& tracks,
                                std::vector<int> fileRows, std::vector<int> trackRows,
                                Mp3InfoObject& mp3Info) {
    pipeline_.SetLists(files, tracks, std::move(fileRows), std::move(trackRows), mp3Info);
}

void ProcessingDialog::SetOptions(bool createDirectory, bool createPlaylist,
                                  bool moveDependencies) {
    pipeline_.SetOptions({createDirectory, createPlaylist, moveDependencies});
}

void ProcessingDialog::SetDependencyOptions(const std::string& searchWords,
                                            bool confirmDependencies) {
    pipeline_.SetDependencyOptions(searchWords, confirmDependencies);
}

int ProcessingDialog::exec() {
    Begin();
    return QDialog::exec();
}

void ProcessingDialog::Begin() {
    step_ = 0;
    busy_ = false;
    running_ = true;
    log_->clear();
    progress_->setValue(0);
    for (int step = 0; step < static_cast<int>(pictures_.size()); ++step) {
        ShowStepPicture(step, StepPicture::kBefore);
    }
    timer_.start();
    pipeline_.Start();
    ok_->setEnabled(false);
}

void ProcessingDialog::OnTick() {
    if (busy_) {
        return;
    }
    if (step_ < static_cast<int>(pictures_.size())) {
        ShowStepPicture(step_, StepPicture::kBegun);
    }
    if (!RunStep(step_) && step_ < static_cast<int>(pictures_.size())) {
        ShowStepPicture(step_, StepPicture::kFailed);
    }
    ++step_;
    if (step_ > static_cast<int>(Step::kEnd)) {
        timer_.stop();
        Finish();
    }
}

bool ProcessingDialog::RunStep(int step) {
    busy_ = true;
    progress_->setValue(std::min(25 * (step + 1), progress_->maximum()));
    // Let the picture and the bar show before the work starts; a tick
    // delivered meanwhile finds busy_ set and does nothing.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const bool succeeded = pipeline_.RunStep(static_cast<Step>(step));
    busy_ = false;
    return succeeded;
}

void ProcessingDialog::Finish() {
    pipeline_.Finish();
    ok_->setEnabled(true);
    step_ = 0;
    running_ = false;
    // A run that went wrong stays on screen until the user has seen it.
    if (FailureCount() == 0 && SkippedCount() == 0) {
        accept();
    }
}

void ProcessingDialog::reject() {
    if (!running_) {
        QDialog::reject();
    }
}

void ProcessingDialog::Log(const std::string& text) {
    const QString line = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (text == kDoneText && log_->count() > 0) {
        QListWidgetItem* last = log_->item(log_->count() - 1);
        last->setText(last->text() + QLatin1Char(' ') + line);
    } else {
        log_->addItem(line);
    }
    log_->setCurrentRow(log_->count() - 1);
    log_->scrollToItem(log_->currentItem());
}

void ProcessingDialog::LogProblem(const std::string& text) {
    Log(text);
    if (log_->count() > 0) {
        log_->item(log_->count() - 1)->setForeground(kProblemColor);
    }
}

QStringList ProcessingDialog::LogLines() const {
    QStringList lines;
    for (int row = 0; row < log_->count(); ++row) {
        lines << log_->item(row)->text();
    }
    return lines;
}

void ProcessingDialog::ShowStepPicture(int step, StepPicture state) {
    const QString path = state == StepPicture::kFailed
                             ? StepFailedPicturePath(step)
                             : StepPicturePath(step, state == StepPicture::kBegun);
    QPixmap picture = ArtworkPixmap(path, QSize(), devicePixelRatioF());
    if (picture.isNull()) {
        picture = PlaceholderPicture(step, state);
    }
    QLabel* label = pictures_[static_cast<std::size_t>(step)];
    label->setPixmap(picture);
    label->setProperty("state", static_cast<int>(state));
}

}  // namespace corvane
