#include "app/FolderNavigator.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "app/MainForm.h"
#include "components/SettingsValues.h"
#include "platform/FileSystem.h"
#include "processing/RunLock.h"
#include "widgets/FolderPathBox.h"
#include "widgets/FolderTreeCtrl.h"

namespace corvane {

namespace {

constexpr int kLockPollMs = 1000;

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

}  // namespace

FolderNavigator::FolderNavigator(MainForm& form, FolderAction show, FolderAction status)
    : form_(form), show_(std::move(show)), status_(std::move(status)) {
    lockTimer_.setInterval(kLockPollMs);
    connect(&lockTimer_, &QTimer::timeout, this, [this] {
        if (!FolderIsLocked(lockedFolder_)) {
            lockTimer_.stop();
            if (whenFree_) {
                whenFree_();
            }
        }
    });
}

std::string FolderNavigator::CurrentFolder() const {
    return WithoutTrailingSlash(form_.tree->GetItemPath(form_.tree->currentItem()));
}

void FolderNavigator::Open(const std::string& path) {
    if (!IsDirectory(path)) {
        status_("There is no folder " + path + ".");
        return;
    }
    const std::string wanted = WithoutTrailingSlash(path);
    const std::string before = CurrentFolder();
    // Selected in the tree, the folder is shown by the tree's handler.
    form_.tree->SelectPath(wanted);
    if (before == wanted || CurrentFolder() != wanted) {
        show_(wanted);
    }
}

bool FolderNavigator::Remember(std::vector<std::string>& recent, const std::string& folder) {
    if (!recent.empty() && recent.front() == folder) {
        return false;
    }
    recent = WithRecentFolder(recent, folder, kMaxRecentFolders);
    form_.pathBox->SetRecentFolders(recent);
    return true;
}

std::string FolderNavigator::Reselect(const std::string& albumDirectory,
                                      const std::string& fallback) {
    std::string selectedPath = form_.tree->GetItemPath(form_.tree->currentItem());
    // After a run the new album directory is where the user looks next.
    if (!albumDirectory.empty() && IsDirectory(albumDirectory)) {
        selectedPath = albumDirectory;
    }
    treeMuted_ = true;
    form_.tree->Refresh();
    // The user's folder stays selected, or the new album directory is.
    if (!selectedPath.empty() &&
        form_.tree->GetItemPath(form_.tree->currentItem()) != selectedPath) {
        form_.tree->SelectPath(selectedPath);
    }
    treeMuted_ = false;
    const std::string folder = form_.tree->GetItemPath(form_.tree->currentItem());
    return folder.empty() ? fallback : folder;
}

bool FolderNavigator::WaitWhileLocked(const std::string& folder, std::function<void()> whenFree) {
    // Only the folder shown now is waited for.
    if (!FolderIsLocked(folder)) {
        lockTimer_.stop();
        return false;
    }
    status_(kFolderLockedText);
    lockedFolder_ = folder;
    whenFree_ = std::move(whenFree);
    lockTimer_.start();
    return true;
}

std::string FolderNavigator::DroppedFolder(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().isEmpty() ||
        !data->urls().front().isLocalFile()) {
        return {};
    }
    // A dropped file opens the folder it lies in.
    const QFileInfo dropped(data->urls().front().toLocalFile());
    return (dropped.isDir() ? dropped.absoluteFilePath() : dropped.absolutePath()).toStdString();
}

}  // namespace corvane
