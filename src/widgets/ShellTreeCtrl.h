#pragma once

#include <string>
#include <vector>

#include "widgets/LazyTreeCtrl.h"
#include "widgets/MountTable.h"

namespace corvane {

// A tree of the file system's folders. The top level holds "/" first (every absolute path
// lies below it), then the home folder, then mounted media; or, with a root folder set, that
// folder's sub-folders. Each item keeps its absolute path as raw bytes, so a folder whose
// name is not valid UTF-8 is found again exactly. Network and removable mounts are slow
// items: they get an expand button without being looked into.
class CShellTreeCtrl : public CLazyTreeCtrl {
    Q_OBJECT

public:
    // Item data role holding the absolute path (QByteArray).
    static constexpr int kPathRole = Qt::UserRole + 1;

    explicit CShellTreeCtrl(QWidget* parent = nullptr);

    // Sets the folder whose sub-folders form the top level (empty: "/", home and media),
    // whether every folder gets an expand button without a look inside, and reloads.
    // Ignored while a load runs.
    void SetRoot(const std::string& rootPath, bool allFoldersExpandable);
    const std::string& RootPath() const { return rootPath_; }

    // The absolute path of an item, byte for byte; empty for none or the placeholder.
    std::string GetItemPath(const QTreeWidgetItem* item) const;
    // The item with exactly this path among the children of `parent` (null: the top level);
    // null when there is none.
    QTreeWidgetItem* FindChild(QTreeWidgetItem* parent, const std::string& path) const;
    // Expands the tree down to an existing folder and selects it; false when the folder does
    // not exist, cannot be reached from the top level, or a load is under way.
    bool SelectPath(const std::string& path);

    // The mount table used to tell slow folders; read at construction and on each reload of
    // the top level unless one was given here. Ignored while a load runs.
    void SetMountTable(MountTable table);

protected:
    // One sub-folder found by a listing.
    struct FolderEntry {
        std::string path;  // absolute, raw bytes
        QString name;      // for display
        bool expandable = false;
        bool slow = false;  // a network or removable mount point
        bool home = false;
        bool root = false;
    };

    bool LoadChildren(QTreeWidgetItem* item) override;
    // Lists the sub-folders of `folder` (hidden ones included), sorted by the locale's
    // collation; false when the folder cannot be read. Runs on a worker thread.
    virtual bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries);
    // The top level when no root folder is set. Runs on a worker thread.
    virtual std::vector<FolderEntry> ListTopLevel();
    // An item for a listed folder, with its icon, tooltip and expand arrow.
    QTreeWidgetItem* MakeItem(const FolderEntry& entry) const;

private:
    bool HasSubfolder(const std::string& folder) const;

    std::string rootPath_;
    bool allFoldersExpandable_ = false;
    bool fixedMountTable_ = false;
    MountTable mounts_;
};

// Joins a folder and a child name without doubling the separator.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace corvane
