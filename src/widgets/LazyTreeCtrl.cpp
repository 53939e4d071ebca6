#include "widgets/LazyTreeCtrl.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QScrollBar>
#include <thread>

namespace corvane {

CLazyTreeCtrl::CLazyTreeCtrl(QWidget* parent)
    : QTreeWidget(parent), loadingText_(QStringLiteral("Loading...")) {
    tickTimer_.setTimerType(Qt::PreciseTimer);
    connect(&tickTimer_, &QTimer::timeout, this,
            [this] { OnLoadingTick(true, progressTotal_.load(), progressDone_.load()); });
    connect(this, &QTreeWidget::itemExpanded, this, &CLazyTreeCtrl::OnItemExpanded);
}

CLazyTreeCtrl::~CLazyTreeCtrl() {
    stopRequested_ = true;
}

void CLazyTreeCtrl::OnLoadingStart(QTreeWidgetItem*) {}
void CLazyTreeCtrl::OnLoadingTick(bool, int, int) {}
void CLazyTreeCtrl::OnLoadingEnd() {}
bool CLazyTreeCtrl::MustReload(QTreeWidgetItem*) {
    return false;
}
bool CLazyTreeCtrl::LoadChildren(QTreeWidgetItem*) {
    return false;
}

bool CLazyTreeCtrl::IsRoot(const QTreeWidgetItem* item) const {
    return item == nullptr || item == invisibleRootItem();
}

void CLazyTreeCtrl::keyPressEvent(QKeyEvent* event) {
    // "*" would expand the whole subtree, which here means listing every folder below
    // (the whole disk, from "/"); it opens just the current item instead.
    if (event->key() == Qt::Key_Asterisk && currentItem() != nullptr) {
        currentItem()->setExpanded(true);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CLazyTreeCtrl::OnItemExpanded(QTreeWidgetItem* item) {
    if (loading_) {
        return;  // one load at a time; a nested expansion waits for the user's next try
    }
    if (PrepareLoad(item)) {
        RunLoad(item);
    }
}

bool CLazyTreeCtrl::PrepareLoad(QTreeWidgetItem* item) {
    if (item->childCount() > 0 && !MustReload(item)) {
        pendingItem_ = nullptr;
        return false;
    }
    qDeleteAll(item->takeChildren());
    pendingItem_ = item;
    pendingIndex_ =
        IsRoot(item) ? QPersistentModelIndex() : QPersistentModelIndex(indexFromItem(item));
    loadingItem_ = new QTreeWidgetItem(QStringList(loadingText_));
    loadingItem_->setFlags(Qt::ItemIsEnabled);
    item->addChild(loadingItem_);
    loadingIndex_ = QPersistentModelIndex(indexFromItem(loadingItem_));
    progressTotal_ = 1;
    progressDone_ = 0;
    return true;
}

void CLazyTreeCtrl::RunLoad(QTreeWidgetItem* item) {
    loading_ = true;
    if (animate_) {
        scrollToItem(loadingItem_);
        viewport()->repaint();
    }
    OnLoadingStart(loadingItem_);
    stopRequested_ = false;
    if (tickPeriod_ > 0) {
        tickTimer_.start(static_cast<int>(tickPeriod_));
    }
    // One tick and one progress report at once, so the animation shows from the start.
    OnLoadingTick(true, progressTotal_.load(), progressDone_.load());
    OnLoadingTick(false, progressTotal_.load(), progressDone_.load());

    const bool updateIndicator = PendingItemAlive() && LoadChildren(item);
    DropLoadingItem();
    const bool alive = PendingItemAlive();

    tickTimer_.stop();
    stopRequested_ = true;
    OnLoadingEnd();
    if (alive && !IsRoot(item) && updateIndicator) {
        item->setChildIndicatorPolicy(item->childCount() > 0
                                          ? QTreeWidgetItem::ShowIndicator
                                          : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    }
    pendingItem_ = nullptr;
    pendingIndex_ = QPersistentModelIndex();
    loading_ = false;
    setUpdatesEnabled(true);
}

void CLazyTreeCtrl::DropLoadingItem() {
    if (loadingItem_ != nullptr && loadingIndex_.isValid()) {
        delete loadingItem_;
    }
    loadingItem_ = nullptr;
    loadingIndex_ = QPersistentModelIndex();
}

bool CLazyTreeCtrl::PendingItemAlive() const {
    return pendingItem_ != nullptr && (IsRoot(pendingItem_) || pendingIndex_.isValid());
}

void CLazyTreeCtrl::LoadItem(QTreeWidgetItem* item) {
    if (loading_) {
        return;
    }
    if (item == nullptr) {
        item = invisibleRootItem();
    }
    if (PrepareLoad(item)) {
        RunLoad(item);
    }
}

void CLazyTreeCtrl::Refresh(QTreeWidgetItem* item) {
    if (loading_) {
        return;
    }
    const bool root = IsRoot(item);
    if (root) {
        item = invisibleRootItem();
    } else if (item->childCount() == 0) {
        return;
    }
    const int scroll = horizontalScrollBar()->value();
    setUpdatesEnabled(false);
    qDeleteAll(item->takeChildren());
    LoadItem(item);
    if (root && topLevelItemCount() > 0) {
        scrollToItem(topLevelItem(0));
        horizontalScrollBar()->setValue(scroll);
    }
    setUpdatesEnabled(true);
}

void CLazyTreeCtrl::SetProgress(int total, int done) {
    progressTotal_ = total;
    progressDone_ = done;
    PostProgress();
}

void CLazyTreeCtrl::AddProgress(int n) {
    progressDone_ += n;
    PostProgress();
}

void CLazyTreeCtrl::PostProgress() {
    // Reports coalesce: at most one is waiting in the queue at any time.
    if (progressPosted_.exchange(true)) {
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            progressPosted_ = false;
            if (loading_) {
                OnLoadingTick(false, progressTotal_.load(), progressDone_.load());
            }
        },
        Qt::QueuedConnection);
}

void CLazyTreeCtrl::RunInBackground(const std::function<void()>& work) {
    if (activeLoop_ != nullptr) {
        work();  // already inside a load's loop
        return;
    }
    // The placeholder must be painted while the worker lists the folder.
    setUpdatesEnabled(true);
    QEventLoop loop;
    const unsigned generation = ++loopGeneration_;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        // An exception must not escape the thread (that would end the program); the caller
        // then sees whatever the work had produced.
        try {
            work();
        } catch (...) {
        }
        finished = true;
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (activeLoop_ != nullptr && loopGeneration_ == generation) {
                    activeLoop_->quit();
                }
            },
            Qt::QueuedConnection);
    });
    activeLoop_ = &loop;
    if (!finished) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    activeLoop_ = nullptr;
    worker.join();
    // Reports still queued belong to this load; show the last state once.
    if (loading_) {
        OnLoadingTick(false, progressTotal_.load(), progressDone_.load());
    }
    setUpdatesEnabled(false);
    DropLoadingItem();
}

}  // namespace corvane
