#include "widgets/FolderTreeCtrl.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <algorithm>

#include "widgets/Artwork.h"
#include "widgets/LoadingProgress.h"

namespace corvane {

namespace {

// Changes come in bursts (a copy makes many folders); one refresh follows the last of them.
constexpr int kChangeDelayMs = 150;

// The folder's modification time, which moves whenever an entry is added, removed or
// renamed; -1 when it cannot be read.
qint64 FolderStamp(const std::string& folder) {
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) != 0) {
        return -1;
    }
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool IsWithin(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor) {
    for (; item != nullptr; item = item->parent()) {
        if (item == ancestor) {
            return true;
        }
    }
    return false;
}

}  // namespace

CFolderTreeCtrl::CFolderTreeCtrl(QWidget* parent)
    : CShellTreeCtrl(parent), watcher_(new QFileSystemWatcher(this)) {
    SetAnimate(true);
    SetTickPeriod(125);
    // Long names scroll sideways instead of being cut.
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    changeTimer_.setSingleShot(true);
    connect(&changeTimer_, &QTimer::timeout, this, &CFolderTreeCtrl::RefreshChanged);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
            &CFolderTreeCtrl::OnFolderChanged);
    // Connected after the base class, so a first expansion has loaded by then.
    connect(this, &QTreeWidget::itemExpanded, this, &CFolderTreeCtrl::OnExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, [this] { SyncWatches(); });
}

void CFolderTreeCtrl::OnLoadingStart(QTreeWidgetItem* loadingItem) {
    if (relisting_ != nullptr) {
        return;  // the stand-in is hidden: nothing to draw
    }
    frame_ = 0;
    barFill_ = 0;
    const int extent = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const QSize iconSize = this->iconSize().isValid() ? this->iconSize() : QSize(extent, extent);
    if (frames_[0].isNull() || frames_[0].deviceIndependentSize().toSize() != iconSize) {
        for (int i = 0; i < artwork::kLoadingFrameCount; ++i) {
            frames_[i] = ArtworkPixmap(LoadingFramePath(i), iconSize, devicePixelRatioF());
        }
    }
    // A blank icon keeps the place of the animation free, as for any folder item.
    QPixmap blank(iconSize);
    blank.fill(Qt::transparent);
    loadingItem->setIcon(0, QIcon(blank));

    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualItemRect(loadingItem);
    option.text = loadingItem->text(0);
    option.icon = loadingItem->icon(0);
    option.decorationSize = iconSize;
    option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    const QRect textRect = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    const QRect decoration =
        style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, this);
    iconRect_ = decoration.isValid() ? QRect(decoration.topLeft(), iconSize)
                                     : QRect(textRect.left() - 3 - iconSize.width(),
                                             textRect.center().y() - iconSize.height() / 2,
                                             iconSize.width(), iconSize.height());
    const int textEnd = textRect.left() + fontMetrics().horizontalAdvance(option.text) +
                        style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int barHeight = std::min(textRect.height(), 16);
    barOuter_ = QRect(textEnd + 3, textRect.top() + (textRect.height() - barHeight) / 2, kBarWidth,
                      barHeight);
    active_ = true;
}

void CFolderTreeCtrl::OnLoadingTick(bool timerFired, int progressTotal, int progressDone) {
    if (!active_) {
        return;
    }
    if (timerFired) {
        frame_ = (frame_ + 1) % artwork::kLoadingFrameCount;
        viewport()->update(iconRect_);
    } else {
        barFill_ = LoadingBarFill(progressTotal, progressDone, kBarWidth - 2 * kBarInset);
        viewport()->update(barOuter_);
    }
}

void CFolderTreeCtrl::OnLoadingEnd() {
    active_ = false;
    viewport()->update(iconRect_.united(barOuter_));
    SyncWatches();
}

bool CFolderTreeCtrl::LoadChildren(QTreeWidgetItem* item) {
    if (relisting_ != nullptr && item == relisting_->item) {
        Relisting& relisting = *relisting_;
        RunInBackground([&] {
            if (relisting.folder.empty()) {
                relisting.entries = ListTopLevel();
                relisting.listed = true;
            } else {
                relisting.listed = ListFolder(relisting.folder, &relisting.entries);
            }
        });
        // A listing cut short would make the folders it missed look gone.
        relisting.listed = relisting.listed && !StopRequested();
        return false;
    }
    const bool top = IsRoot(item);
    // Taken before the listing: a change during it then shows as a later difference.
    const qint64 stamp = FolderStamp(top ? RootPath() : GetItemPath(item));
    lastLoaded_ = item;
    lastLoadedIndex_ = QPersistentModelIndex(top ? QModelIndex() : indexFromItem(item));
    const bool result = CShellTreeCtrl::LoadChildren(item);
    if (!top && PendingItemAlive()) {
        item->setData(0, kStampRole, stamp);
    }
    return result;
}

bool CFolderTreeCtrl::ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) {
    if (!CShellTreeCtrl::ListFolder(folder, entries)) {
        return false;
    }
    std::erase_if(*entries,
                  [](const FolderEntry& entry) { return entry.name.startsWith(QLatin1Char('.')); });
    return true;
}

void CFolderTreeCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F5 && event->modifiers() == Qt::NoModifier) {
        Refresh();
        event->accept();
        return;
    }
    CShellTreeCtrl::keyPressEvent(event);
}

void CFolderTreeCtrl::Refresh() {
    if (IsLoading() || updating_ || topLevelItemCount() == 0) {
        return;
    }
    updating_ = true;
    changed_.clear();
    const int scroll = horizontalScrollBar()->value();
    UpdateShown(invisibleRootItem());
    horizontalScrollBar()->setValue(scroll);
    updating_ = false;
    SyncWatches();
}

void CFolderTreeCtrl::UpdateShown(QTreeWidgetItem* item) {
    if (!UpdateChildren(item)) {
        return;
    }
    // Each listing runs the event loop, which may delete items; indexes notice.
    std::vector<QPersistentModelIndex> open;
    for (int i = 0; i < item->childCount(); ++i) {
        if (item->child(i)->isExpanded()) {
            open.emplace_back(indexFromItem(item->child(i)));
        }
    }
    for (const QPersistentModelIndex& index : open) {
        if (index.isValid()) {
            UpdateShown(itemFromIndex(index));
        }
    }
}

void CFolderTreeCtrl::OnExpanded(QTreeWidgetItem* item) {
    const bool deleted = item == lastLoaded_ && !lastLoadedIndex_.isValid();
    lastLoaded_ = nullptr;
    lastLoadedIndex_ = QPersistentModelIndex();
    if (deleted) {
        SyncWatches();
        return;
    }
    // Children listed before a collapse may be stale; relist only when the folder changed.
    const QVariant stamp = item->data(0, kStampRole);
    if (!IsLoading() && !updating_ && stamp.isValid() &&
        stamp.toLongLong() != FolderStamp(GetItemPath(item))) {
        updating_ = true;
        UpdateChildren(item);
        updating_ = false;
    }
    SyncWatches();
}

void CFolderTreeCtrl::OnFolderChanged(const QString& folder) {
    if (const auto it = watched_.find(folder); it != watched_.end()) {
        changed_.insert(it->second);
        changeTimer_.start(kChangeDelayMs);
    }
}

void CFolderTreeCtrl::RefreshChanged() {
    if (changed_.empty()) {
        return;
    }
    if (IsLoading() || updating_) {
        changeTimer_.start(kChangeDelayMs);  // after the load under way
        return;
    }
    updating_ = true;
    const std::set<std::string> changed = std::move(changed_);
    changed_.clear();
    // Parents before their children: a folder removed with its parent is not listed.
    std::vector<QPersistentModelIndex> items;
    const bool top = !RootPath().empty() && changed.count(RootPath()) > 0;
    std::vector<QTreeWidgetItem*> stack{invisibleRootItem()};
    while (!stack.empty()) {
        QTreeWidgetItem* parent = stack.back();
        stack.pop_back();
        for (int i = parent->childCount() - 1; i >= 0; --i) {
            QTreeWidgetItem* child = parent->child(i);
            if (child->isExpanded()) {
                stack.push_back(child);
            }
        }
        if (parent != invisibleRootItem() && changed.count(GetItemPath(parent)) > 0) {
            items.emplace_back(indexFromItem(parent));
        }
    }
    const int scroll = horizontalScrollBar()->value();
    if (top) {
        UpdateChildren(invisibleRootItem());
    }
    for (const QPersistentModelIndex& index : items) {
        if (index.isValid()) {
            UpdateChildren(itemFromIndex(index));
        }
    }
    horizontalScrollBar()->setValue(scroll);
    updating_ = false;
    SyncWatches();
}

bool CFolderTreeCtrl::UpdateChildren(QTreeWidgetItem* item) {
    const bool top = IsRoot(item);
    if (top) {
        item = invisibleRootItem();
    }
    const std::string folder = top ? RootPath() : GetItemPath(item);
    if (!top && folder.empty()) {
        return false;
    }
    const QPersistentModelIndex index(top ? QModelIndex() : indexFromItem(item));
    const qint64 stamp = FolderStamp(folder);
    // The listing runs as a load of a hidden stand-in item, so it gets the load's worker
    // thread and held-back input while the real items stay as they are.
    Relisting relisting;
    relisting.folder = folder;
    relisting_ = &relisting;
    auto* standIn = new QTreeWidgetItem();
    addTopLevelItem(standIn);
    standIn->setHidden(true);
    const QPersistentModelIndex standInIndex(indexFromItem(standIn));
    relisting.item = standIn;
    const bool animate = Animate();
    SetAnimate(false);
    LoadItem(standIn);
    SetAnimate(animate);
    relisting_ = nullptr;
    if (standInIndex.isValid()) {
        delete standIn;
    }
    if (!top && !index.isValid()) {
        return false;
    }
    if (!relisting.listed) {
        return true;  // gone or unreadable: the parent's listing removes a folder that went
    }
    const std::vector<FolderEntry>& entries = relisting.entries;
    if (!top) {
        item->setData(0, kStampRole, stamp);
    }

    std::set<std::string> listedPaths;
    for (const FolderEntry& entry : entries) {
        listedPaths.insert(entry.path);
    }
    for (int i = item->childCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* child = item->child(i);
        if (listedPaths.count(GetItemPath(child)) > 0) {
            continue;
        }
        if (IsWithin(currentItem(), child)) {
            setCurrentItem(top ? nullptr : item);
        }
        delete child;
    }
    // Both lists follow the same order, so one walk finds the place of each new folder.
    int at = 0;
    for (const FolderEntry& entry : entries) {
        QTreeWidgetItem* child = at < item->childCount() ? item->child(at) : nullptr;
        if (child != nullptr && GetItemPath(child) == entry.path) {
            // A folder not looked into yet may have gained or lost sub-folders.
            if (child->childCount() == 0 && !child->isExpanded()) {
                child->setChildIndicatorPolicy(
                    entry.expandable ? QTreeWidgetItem::ShowIndicator
                                     : QTreeWidgetItem::DontShowIndicatorWhenChildless);
            }
            ++at;
        } else if (FindChild(item, entry.path) == nullptr) {
            item->insertChild(at++, MakeItem(entry));
        }
    }
    if (!top && item->childCount() > 0) {
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    return true;
}

void CFolderTreeCtrl::SyncWatches() {
    std::map<QString, std::string> wanted;
    const auto want = [&wanted](const std::string& path) {
        if (!path.empty()) {
            wanted.emplace(QFile::decodeName(QByteArray::fromStdString(path)), path);
        }
    };
    want(RootPath());
    std::vector<QTreeWidgetItem*> stack{invisibleRootItem()};
    while (!stack.empty()) {
        QTreeWidgetItem* parent = stack.back();
        stack.pop_back();
        for (int i = 0; i < parent->childCount(); ++i) {
            if (QTreeWidgetItem* child = parent->child(i); child->isExpanded()) {
                want(GetItemPath(child));
                stack.push_back(child);
            }
        }
    }
    QStringList gone;
    for (const auto& [name, path] : watched_) {
        if (wanted.count(name) == 0) {
            gone << name;
        }
    }
    if (!gone.isEmpty()) {
        watcher_->removePaths(gone);
    }
    QStringList added;
    for (const auto& [name, path] : wanted) {
        if (watched_.count(name) == 0) {
            added << name;
        }
    }
    // A folder the watcher refuses (gone, or a name it cannot spell) is tried again later.
    const QStringList failed = added.isEmpty() ? QStringList() : watcher_->addPaths(added);
    for (const QString& name : failed) {
        wanted.erase(name);
    }
    watched_ = std::move(wanted);
}

QStringList CFolderTreeCtrl::WatchedFolders() const {
    return watcher_->directories();
}

void CFolderTreeCtrl::paintEvent(QPaintEvent* event) {
    CShellTreeCtrl::paintEvent(event);
    if (!active_) {
        return;
    }
    QPainter painter(viewport());
    painter.fillRect(iconRect_, palette().color(QPalette::Base));
    painter.drawPixmap(iconRect_.topLeft(), frames_[frame_]);
    const QColor base = palette().color(QPalette::Base);
    painter.fillRect(barOuter_, base);
    // Black, as on a light ground; a dark palette gets its own text colour instead.
    painter.setPen(base.lightness() < 128 ? palette().color(QPalette::Text) : QColor(Qt::black));
    painter.drawRect(barOuter_.adjusted(0, 0, -1, -1));
    const QRect inner = barOuter_.adjusted(kBarInset, kBarInset, -kBarInset, -kBarInset);
    painter.fillRect(QRect(inner.left(), inner.top(), barFill_, inner.height()), QColor(255, 0, 0));
}

void CFolderTreeCtrl::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QScrollBar* sideways = horizontalScrollBar();
    const int before = sideways->value();
    CShellTreeCtrl::scrollTo(index, hint);
    sideways->setValue(before);
    const int left = visualRect(index).left();
    if (left < 0 || left > viewport()->width() - kSidewaysMargin) {
        sideways->setValue(before + left - kSidewaysMargin);
    }
}

}  // namespace corvane
