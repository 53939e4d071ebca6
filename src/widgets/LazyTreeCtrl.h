#pragma once

#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <functional>

class QEventLoop;

namespace corvane {

// A tree that loads an item's children when the item is first expanded. While it loads, a
// "Loading..." placeholder stands in for the children; the slow part of the listing runs
// on a worker thread (`RunInBackground`) while this thread keeps painting, driven by a
// periodic tick and by the worker's progress reports, and holds back user input. The
// expansion returns only after the load has ended, so the tree never changes under the
// user's hands.
//
// Derived classes fill items in `LoadChildren` and may animate through the loading hooks.
class CLazyTreeCtrl : public QTreeWidget {
    Q_OBJECT

public:
    explicit CLazyTreeCtrl(QWidget* parent = nullptr);
    ~CLazyTreeCtrl() override;

    // Reloads the children of `item`, or the whole top level for null or the invisible root;
    // an item without children is left alone.
    void Refresh(QTreeWidgetItem* item);

    // Period of the animation tick in milliseconds; 0 = no tick.
    void SetTickPeriod(unsigned milliseconds) { tickPeriod_ = milliseconds; }
    unsigned TickPeriod() const { return tickPeriod_; }
    // When set, the placeholder is scrolled into view and painted before loading.
    void SetAnimate(bool animate) { animate_ = animate; }
    bool Animate() const { return animate_; }
    QString LoadingText() const { return loadingText_; }
    bool IsLoading() const { return loading_; }

protected:
    // Hooks, all called on the user-interface thread.
    virtual void OnLoadingStart(QTreeWidgetItem* loadingItem);
    // timerFired: a tick of the animation period; otherwise a progress report.
    virtual void OnLoadingTick(bool timerFired, int progressTotal, int progressDone);
    virtual void OnLoadingEnd();
    // Whether an item that already has children loads them again when expanded.
    virtual bool MustReload(QTreeWidgetItem* item);
    // Adds the children of `item` (the invisible root stands for the top level). The result
    // tells whether the item's expand button must then follow whether it has children.
    virtual bool LoadChildren(QTreeWidgetItem* item);

    // Runs `work` on a worker thread and returns when it has ended; meanwhile this thread
    // runs an event loop that paints but holds back user input. The placeholder is removed
    // once the work is done. Not re-entrant.
    void RunInBackground(const std::function<void()>& work);
    // Progress reports; safe from any thread. A total below 1 means "not counted yet".
    void SetProgress(int total, int done);
    void AddProgress(int n);
    // Set when the load must end early (the tree is going away).
    bool StopRequested() const { return stopRequested_.load(); }

    // Whether the item being loaded still exists: something run from the event loop during
    // the load may have deleted it. Check after `RunInBackground` before filling it.
    bool PendingItemAlive() const;

    // Loads the children of `item` as an expansion would, expanded or not.
    void LoadItem(QTreeWidgetItem* item);
    bool IsRoot(const QTreeWidgetItem* item) const;

    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnItemExpanded(QTreeWidgetItem* item);
    bool PrepareLoad(QTreeWidgetItem* item);
    void RunLoad(QTreeWidgetItem* item);
    void DropLoadingItem();
    void PostProgress();

    QString loadingText_;
    bool animate_ = false;
    unsigned tickPeriod_ = 0;
    bool loading_ = false;
    QTreeWidgetItem* loadingItem_ = nullptr;
    QTreeWidgetItem* pendingItem_ = nullptr;
    // Items can be deleted behind the load's back; these indexes notice it.
    QPersistentModelIndex loadingIndex_;
    QPersistentModelIndex pendingIndex_;
    QTimer tickTimer_;
    QEventLoop* activeLoop_ = nullptr;
    unsigned loopGeneration_ = 0;

    std::atomic<int> progressTotal_{0};
    std::atomic<int> progressDone_{0};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> progressPosted_{false};
};

}  // namespace corvane
