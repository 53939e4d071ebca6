#pragma once

#include <QPersistentModelIndex>
#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <array>
#include <map>
#include <set>

#include "widgets/ShellTreeCtrl.h"

class QFileSystemWatcher;

namespace corvane {

// The folder tree of the main window: while a folder loads, a turning animation stands left
// of the "Loading..." placeholder and a small red bar right of it shows the progress.
//
// The tree follows the disk: the expanded folders are watched, and a change inside one brings
// its sub-folders up to date in place, so what the user opened and selected stays. Folders
// whose names start with "." are left out (the run journal lives in ".corvane-run").
class CFolderTreeCtrl : public CShellTreeCtrl {
    Q_OBJECT

public:
    static constexpr int kBarWidth = 56;
    static constexpr int kBarInset = 3;
    static constexpr int kSidewaysMargin = 40;
    // Item data role holding the folder's modification time when it was last listed.
    static constexpr int kStampRole = kPathRole + 1;

    explicit CFolderTreeCtrl(QWidget* parent = nullptr);

    using CShellTreeCtrl::Refresh;
    // Brings the top level and every expanded folder up to date with the disk (what F5
    // does): new folders appear at their sorted place, removed ones go; expansion, selection
    // and scrolling stay. When the selected folder went, its nearest remaining ancestor is
    // selected, with the usual currentItemChanged. Does nothing while a load runs.
    void Refresh();

    // The folders being watched, for tests.
    QStringList WatchedFolders() const;

    // What is drawn during a load, for tests and the gallery.
    int Frame() const { return frame_; }
    QRect IconRect() const { return iconRect_; }
    QRect BarRect() const { return barOuter_; }
    int BarFill() const { return barFill_; }

protected:
    void OnLoadingStart(QTreeWidgetItem* loadingItem) override;
    void OnLoadingTick(bool timerFired, int progressTotal, int progressDone) override;
    void OnLoadingEnd() override;
    bool LoadChildren(QTreeWidgetItem* item) override;
    bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Sideways only when the folder's name would start out of sight: a
    // selected deep folder keeps its parents in view.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

private:
    void OnExpanded(QTreeWidgetItem* item);
    void OnFolderChanged(const QString& folder);
    void RefreshChanged();
    // Lists the folder of `item` (null: the top level) and merges the listing into its
    // children; false when the item went away meanwhile.
    bool UpdateChildren(QTreeWidgetItem* item);
    void UpdateShown(QTreeWidgetItem* item);
    // Watches exactly the folders whose children are on show.
    void SyncWatches();

    std::array<QPixmap, 10> frames_;
    bool active_ = false;
    int frame_ = 0;
    int barFill_ = 0;
    QRect iconRect_;
    QRect barOuter_;

    QFileSystemWatcher* watcher_;
    std::map<QString, std::string> watched_;  // as the watcher names it -> raw bytes
    std::set<std::string> changed_;
    QTimer changeTimer_;
    bool updating_ = false;
    // The item of the last load: the event loop of a load may delete it before OnExpanded.
    QTreeWidgetItem* lastLoaded_ = nullptr;
    // A folder listed again for UpdateChildren.
    struct Relisting {
        std::string folder;  // empty: the default top level
        QTreeWidgetItem* item = nullptr;
        std::vector<FolderEntry> entries;
        bool listed = false;
    };
    Relisting* relisting_ = nullptr;
    QPersistentModelIndex lastLoadedIndex_;
};

}  // namespace corvane
