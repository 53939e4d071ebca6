#pragma once

#include <QDialog>
#include <QThread>
#include <functional>
#include <memory>
#include <string>

#include "library/LibraryRun.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

// "Library": the library run over a chosen root, in a thread of its own so
// that the window answers at every moment. The albums fill the list with
// their states as they are decided; "Put found albums in order" files those
// found; "Stop" ends the run after the album it is working on, so every
// album ends whole. A double click on an album that waits for a choice hands
// its folder to openAlbum, which opens it on the single-album road.
class LibraryWindow : public QDialog {
    Q_OBJECT

public:
    using OpenAlbum = std::function<void(const std::string& folder)>;

    LibraryWindow(const std::string& root, const SettingsValues& settings, Mp3Factory mp3Factory,
                  OpenAlbum openAlbum, QWidget* parent = nullptr);
    ~LibraryWindow() override;

    // Lists and identifies the albums (called once the window shows).
    void StartRun();
    bool Running() const { return worker_ != nullptr; }
    QTreeWidget* AlbumList() const { return list_; }

signals:
    // From the run's thread, queued to the window's.
    void AlbumChanged(int index, const QString& folder, const QString& state, const QString& reason,
                      const QString& directory);
    void ProgressChanged(int decided, int listed, bool listingDone);
    void RunEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class Listener;

    void StartWorker(std::function<void()> work);
    void OnAlbumChanged(int index, const QString& folder, const QString& state,
                        const QString& reason, const QString& directory);
    void OnProgress(int decided, int listed, bool listingDone);
    void OnRunEnded();
    void OnDoubleClick(QTreeWidgetItem* item);
    void UpdateButtons();
    void StopAndWait();

    std::string root_;
    OpenAlbum openAlbum_;
    std::unique_ptr<Listener> listener_;
    std::unique_ptr<LibraryRun> run_;
    QThread* worker_ = nullptr;
    bool started_ = false;
    QTreeWidget* list_;
    QProgressBar* progress_;
    QLabel* status_;
    QPushButton* fileButton_;
    QPushButton* stopButton_;
};

}  // namespace corvane
