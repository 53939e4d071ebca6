#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

class QMimeData;

namespace corvane {

class MainForm;

// Where the user is in the disk: the folder tree with the path box above it,
// the recent folders, folders dropped on the window, the tree brought up to
// date after a run, and a folder another run holds, watched until it is free.
class FolderNavigator : public QObject {
    Q_OBJECT

public:
    using FolderAction = std::function<void(const std::string& folder)>;

    // show is called for a folder the user opened that the tree's own
    // selection does not show (a hidden folder, or the one shown already).
    FolderNavigator(MainForm& form, FolderAction show, FolderAction status);

    // Opens a folder the user named: typed, picked from the recent list or dropped.
    void Open(const std::string& path);
    // The recent list after folder was opened; false when it did not change.
    bool Remember(std::vector<std::string>& recent, const std::string& folder);
    // The tree refreshed after a run, keeping the user's folder selected or,
    // when given, the new album directory; returns the folder to scan.
    std::string Reselect(const std::string& albumDirectory, const std::string& fallback);
    // True while the tree's selection is the program's own, not the user's.
    bool IsTreeMuted() const { return treeMuted_; }

    // While another run holds folder: its text in the status list, then
    // whenFree once it is free. False when the folder is free now.
    bool WaitWhileLocked(const std::string& folder, std::function<void()> whenFree);
    bool IsWaiting() const { return lockTimer_.isActive(); }

    // The local folder of a drop (a file's folder for a file), or empty.
    static std::string DroppedFolder(const QMimeData* data);

private:
    std::string CurrentFolder() const;

    MainForm& form_;
    FolderAction show_;
    FolderAction status_;
    bool treeMuted_ = false;
    QTimer lockTimer_;
    std::string lockedFolder_;
    std::function<void()> whenFree_;
};

}  // namespace corvane
