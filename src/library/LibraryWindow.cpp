#include "library/LibraryWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "naming/NameFormat.h"

namespace corvane {

namespace {

enum Column { kFolder, kState, kReason, kDirectory };

QString Text(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// Shown as a path under the root.
std::string UnderRoot(const std::string& path, const std::string& root) {
    return path.rfind(root + "/", 0) == 0 ? path.substr(root.size() + 1) : path;
}

}  // namespace

// Hands the run's news to the window's thread as queued signals.
class LibraryWindow::Listener : public LibraryListener {
public:
    explicit Listener(LibraryWindow& window) : window_(window) {}
    void AlbumChanged(const LibraryAlbum& album, std::size_t index) override {
        emit window_.AlbumChanged(static_cast<int>(index), Text(album.folder),
                                  StateName(album.state), Text(album.reason),
                                  Text(album.albumDirectory));
    }
    void Progress(std::size_t decided, std::size_t listed, bool listingDone) override {
        emit window_.ProgressChanged(static_cast<int>(decided), static_cast<int>(listed),
                                     listingDone);
    }

private:
    LibraryWindow& window_;
};

LibraryWindow::LibraryWindow(const std::string& root, const SettingsValues& settings,
                             Mp3Factory mp3Factory, OpenAlbum openAlbum, QWidget* parent)
    : QDialog(parent),
      root_(root),
      openAlbum_(std::move(openAlbum)),
      listener_(std::make_unique<Listener>(*this)),
      list_(new QTreeWidget(this)),
      progress_(new QProgressBar(this)),
      status_(new QLabel(this)),
      fileButton_(new QPushButton(tr("Put found albums in order"), this)),
      stopButton_(new QPushButton(tr("Stop"), this)) {
    setWindowTitle(tr("Library - %1").arg(Text(root)));
    LibraryOptions options;
    options.root = root;
    options.settings = settings;
    options.filing.nameTemplate = NameTemplate(settings.nameFormat);
    options.filing.caseMode = settings.caseMode;
    options.filing.createPlaylist = settings.createPlaylist;
    options.filing.moveDependencies = settings.moveDependencies;
    options.fileFound = false;  // the user looks first, then files
    options.jobs = std::max(1, QThread::idealThreadCount());
    run_ = std::make_unique<LibraryRun>(options, std::move(mp3Factory), *listener_);

    list_->setHeaderLabels({tr("Album"), tr("State"), tr("Reason"), tr("Album directory")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->header()->resizeSection(kFolder, 260);
    list_->header()->resizeSection(kState, 80);
    list_->header()->resizeSection(kReason, 260);
    auto* buttons = new QHBoxLayout;
    auto* close = new QPushButton(tr("Close"), this);
    buttons->addWidget(status_, 1);
    buttons->addWidget(fileButton_);
    buttons->addWidget(stopButton_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(progress_);
    layout->addLayout(buttons);
    resize(860, 480);

    connect(this, &LibraryWindow::AlbumChanged, this, &LibraryWindow::OnAlbumChanged,
            Qt::QueuedConnection);
    connect(this, &LibraryWindow::ProgressChanged, this, &LibraryWindow::OnProgress,
            Qt::QueuedConnection);
    connect(this, &LibraryWindow::RunEnded, this, &LibraryWindow::OnRunEnded, Qt::QueuedConnection);
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { OnDoubleClick(item); });
    connect(fileButton_, &QPushButton::clicked, this,
            [this] { StartWorker([this] { run_->FileFound(); }); });
    connect(stopButton_, &QPushButton::clicked, this, [this] {
        run_->Stop();
        status_->setText(tr("Stopping after the album in hand..."));
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    UpdateButtons();
}

LibraryWindow::~LibraryWindow() {
    StopAndWait();
}

void LibraryWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        StartRun();
    }
}

void LibraryWindow::closeEvent(QCloseEvent* event) {
    StopAndWait();
    QDialog::closeEvent(event);
}

void LibraryWindow::StartRun() {
    started_ = true;
    status_->setText(tr("Listing and identifying the albums..."));
    StartWorker([this] {
        if (!run_->Run()) {
            emit AlbumChanged(-1, {}, {}, Text(run_->Error()), {});
        }
    });
}

void LibraryWindow::StartWorker(std::function<void()> work) {
    if (worker_ != nullptr) {
        return;
    }
    run_->ClearStop();
    worker_ = QThread::create([this, work = std::move(work)] {
        work();
        emit RunEnded();
    });
    worker_->start();
    UpdateButtons();
}

void LibraryWindow::StopAndWait() {
    if (worker_ != nullptr) {
        run_->Stop();
        worker_->wait();
        delete worker_;
        worker_ = nullptr;
    }
}

void LibraryWindow::OnAlbumChanged(int index, const QString& folder, const QString& state,
                                   const QString& reason, const QString& directory) {
    if (index < 0) {
        status_->setText(reason);
        return;
    }
    while (list_->topLevelItemCount() <= index) {
        list_->addTopLevelItem(new QTreeWidgetItem);
    }
    QTreeWidgetItem* item = list_->topLevelItem(index);
    const std::string root = root_;
    item->setText(kFolder, Text(UnderRoot(folder.toStdString(), root)));
    item->setData(kFolder, Qt::UserRole, folder);
    item->setText(kState, state);
    item->setText(kReason, reason);
    item->setText(kDirectory, Text(UnderRoot(directory.toStdString(), root)));
}

void LibraryWindow::OnProgress(int decided, int listed, bool listingDone) {
    progress_->setMaximum(std::max(1, listed));
    progress_->setValue(decided);
    status_->setText(listingDone
                         ? tr("%1 of %2 albums").arg(decided).arg(listed)
                         : tr("%1 of %2 albums, still listing...").arg(decided).arg(listed));
}

void LibraryWindow::OnRunEnded() {
    if (worker_ != nullptr) {
        worker_->wait();
        delete worker_;
        worker_ = nullptr;
    }
    status_->setText(tr("%1 albums").arg(list_->topLevelItemCount()));
    UpdateButtons();
}

void LibraryWindow::OnDoubleClick(QTreeWidgetItem* item) {
    const QString state = item->text(kState);
    if (openAlbum_ &&
        (state == StateName(AlbumState::kChoose) || state == StateName(AlbumState::kNotFound))) {
        // The first disc of a multi-disc album: the single-album road takes one folder.
        const std::vector<LibraryAlbum> albums = run_->Albums();
        const int index = list_->indexOfTopLevelItem(item);
        const std::string folder =
            index >= 0 && index < static_cast<int>(albums.size())
                ? albums[static_cast<std::size_t>(index)].discs.front().folder
                : item->data(kFolder, Qt::UserRole).toString().toStdString();
        openAlbum_(folder);
    }
}

void LibraryWindow::UpdateButtons() {
    const bool running = worker_ != nullptr;
    fileButton_->setEnabled(!running && started_);
    stopButton_->setEnabled(running);
}

}  // namespace corvane
