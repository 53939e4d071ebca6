#include "widgets/ShellTreeCtrl.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCollator>
#include <QFile>
#include <QStyle>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace corvane {

namespace fs = std::filesystem;

namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    if (const passwd* pw = getpwuid(geteuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return {};
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Whether a directory entry is a folder, following symbolic links.
bool EntryIsFolder(const std::string& parent, const dirent* entry) {
    if (entry->d_type == DT_DIR) {
        return true;
    }
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) {
        return false;
    }
    return IsDirectory(JoinPath(parent, entry->d_name));
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

std::string LastComponent(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Drops trailing separators, except the one of "/" itself.
std::string TrimSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return QString::compare(QFile::decodeName(QByteArray::fromStdString(a)),
                            QFile::decodeName(QByteArray::fromStdString(b)),
                            Qt::CaseInsensitive) == 0;
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

CShellTreeCtrl::CShellTreeCtrl(QWidget* parent) : CLazyTreeCtrl(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    mounts_ = MountTable::Read();
}

void CShellTreeCtrl::SetMountTable(MountTable table) {
    if (IsLoading()) {
        return;  // the worker reads the table
    }
    mounts_ = std::move(table);
    fixedMountTable_ = true;
}

void CShellTreeCtrl::SetRoot(const std::string& rootPath, bool allFoldersExpandable) {
    if (IsLoading()) {
        return;  // the items of the load under way must stay
    }
    rootPath_ = rootPath.empty() ? std::string() : TrimSlashes(rootPath);
    allFoldersExpandable_ = allFoldersExpandable;
    clear();
    LoadItem(invisibleRootItem());
}

std::string CShellTreeCtrl::GetItemPath(const QTreeWidgetItem* item) const {
    if (item == nullptr) {
        return {};
    }
    return item->data(0, kPathRole).toByteArray().toStdString();
}

QTreeWidgetItem* CShellTreeCtrl::FindChild(QTreeWidgetItem* parent, const std::string& path) const {
    if (parent == nullptr) {
        parent = invisibleRootItem();
    }
    for (int i = 0; i < parent->childCount(); ++i) {
        if (GetItemPath(parent->child(i)) == path) {
            return parent->child(i);
        }
    }
    return nullptr;
}

bool CShellTreeCtrl::HasSubfolder(const std::string& folder) const {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        // Unreadable: offer the button; expanding then shows it has nothing to give.
        return true;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsDotOrDotDot(entry->d_name) && EntryIsFolder(folder, entry)) {
            found = true;
            break;
        }
        if (StopRequested()) {
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool CShellTreeCtrl::ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    SetProgress(0, 0);
    // Below a slow mount every look inside a child costs a round trip; don't.
    const bool slowFolder = mounts_.IsOnSlowMount(folder);
    while (const dirent* entry = ::readdir(dir)) {
        if (StopRequested()) {
            break;
        }
        if (IsDotOrDotDot(entry->d_name) || !EntryIsFolder(folder, entry)) {
            continue;
        }
        FolderEntry child;
        child.path = JoinPath(folder, entry->d_name);
        child.name = QFile::decodeName(QByteArray(entry->d_name));
        child.slow = mounts_.IsSlowMountPoint(child.path);
        child.expandable =
            allFoldersExpandable_ || child.slow || slowFolder || HasSubfolder(child.path);
        entries->push_back(std::move(child));
        AddProgress(1);
    }
    ::closedir(dir);
    if (entries->empty()) {
        return true;
    }
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(entries->begin(), entries->end(),
                     [&collator](const FolderEntry& a, const FolderEntry& b) {
                         return collator.compare(a.name, b.name) < 0;
                     });
    SetProgress(1, 1);
    return true;
}

std::vector<CShellTreeCtrl::FolderEntry> CShellTreeCtrl::ListTopLevel() {
    std::vector<FolderEntry> top;
    FolderEntry root;
    root.path = "/";
    root.name = QStringLiteral("/");
    root.expandable = true;
    root.root = true;
    top.push_back(root);
    if (const std::string home = HomeFolder(); !home.empty() && home != "/" && IsDirectory(home)) {
        FolderEntry entry;
        entry.path = TrimSlashes(home);
        entry.name = QStringLiteral("Home");
        entry.expandable = true;
        entry.home = true;
        top.push_back(entry);
    }
    SetProgress(0, 0);
    for (const MountEntry& mount : mounts_.MediaMounts()) {
        FolderEntry entry;
        entry.path = mount.mountPoint;
        entry.name = QFile::decodeName(QByteArray::fromStdString(LastComponent(mount.mountPoint)));
        entry.slow = mount.network || mount.removable;
        entry.expandable = true;
        top.push_back(entry);
        AddProgress(1);
    }
    SetProgress(1, 1);
    return top;
}

QTreeWidgetItem* CShellTreeCtrl::MakeItem(const FolderEntry& entry) const {
    auto* item = new QTreeWidgetItem(QStringList(entry.name));
    item->setData(0, kPathRole, QByteArray::fromStdString(entry.path));
    QStyle::StandardPixmap icon = QStyle::SP_DirIcon;
    if (entry.root) {
        icon = QStyle::SP_DriveHDIcon;
    } else if (entry.home) {
        icon = QStyle::SP_DirHomeIcon;
    } else if (entry.slow) {
        const MountEntry* mount = mounts_.MountOf(entry.path);
        icon =
            mount != nullptr && mount->network ? QStyle::SP_DriveNetIcon : QStyle::SP_DriveFDIcon;
    }
    item->setIcon(0, style()->standardIcon(icon, nullptr, this));
    item->setToolTip(0, QFile::decodeName(QByteArray::fromStdString(entry.path)));
    item->setChildIndicatorPolicy(entry.expandable
                                      ? QTreeWidgetItem::ShowIndicator
                                      : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    return item;
}

bool CShellTreeCtrl::LoadChildren(QTreeWidgetItem* item) {
    const bool root = IsRoot(item);
    const std::string folder = root ? rootPath_ : GetItemPath(item);
    if (!root && folder.empty()) {
        return true;
    }
    if (root && !fixedMountTable_) {
        mounts_ = MountTable::Read();  // media come and go between reloads
    }
    std::vector<FolderEntry> entries;
    bool listed = true;
    RunInBackground([&] {
        if (root && rootPath_.empty()) {
            entries = ListTopLevel();
        } else {
            listed = ListFolder(folder, &entries);
        }
    });
    if (!PendingItemAlive()) {
        return false;
    }
    if (!listed) {
        return true;
    }
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(entries.size()));
    for (const FolderEntry& entry : entries) {
        items.append(MakeItem(entry));
    }
    item->addChildren(items);
    if (root) {
        return true;
    }
    if (!entries.empty() && entries.back().slow) {
        return false;
    }
    // Below a slow mount an empty listing may be a hiccup; keep the button there.
    return !mounts_.IsOnSlowMount(folder);
}

bool CShellTreeCtrl::SelectPath(const std::string& rawPath) {
    // "//", "/./" and "x/.." are spelled out by hand-edited settings now and then.
    const std::string path = rawPath.empty()
                                 ? std::string()
                                 : TrimSlashes(fs::path(rawPath).lexically_normal().string());
    if (IsLoading() || path.empty() || path[0] != '/' || !IsDirectory(path)) {
        return false;
    }
    if (topLevelItemCount() == 0) {
        LoadItem(invisibleRootItem());
    }
    // The first top-level folder that holds the path; with the default top level that is "/".
    QTreeWidgetItem* current = nullptr;
    for (int i = 0; i < topLevelItemCount() && current == nullptr; ++i) {
        if (IsPathPrefix(GetItemPath(topLevelItem(i)), path)) {
            current = topLevelItem(i);
        }
    }
    if (current == nullptr) {
        return false;
    }
    current->setExpanded(true);
    std::string reached = GetItemPath(current);
    while (reached != path) {
        // The next component after the part already reached.
        const size_t from = reached == "/" ? 1 : reached.size() + 1;
        const size_t slash = path.find('/', from);
        const std::string next = path.substr(0, slash);
        QTreeWidgetItem* child = FindChild(current, next);
        for (int i = 0; child == nullptr && i < current->childCount(); ++i) {
            if (EqualNoCase(GetItemPath(current->child(i)), next)) {
                child = current->child(i);
            }
        }
        if (child == nullptr) {
            return false;
        }
        current = child;
        reached = next;
        current->setExpanded(true);
    }
    setCurrentItem(current);
    scrollToItem(current, QAbstractItemView::PositionAtTop);
    return true;
}

}  // namespace corvane
