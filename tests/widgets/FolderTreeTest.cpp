#include "widgets/FolderTreeCtrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "support/TestSupport.h"
#include "support/WidgetTestApp.h"
#include "widgets/LoadingProgress.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

TEST(LoadingProgress, KnownTotalIsAShareAndUnknownTotalCreepsTowardsFull) {
    EXPECT_EQ(LoadingBarFill(4, 2), 25);
    EXPECT_EQ(LoadingBarFill(3, 1), 16);
    EXPECT_EQ(LoadingBarFill(2, 5), 50);  // never past the end
    int previous = 0;
    for (int done = 0; done <= 60; ++done) {
        // The formula as written, which is exact while e^(0.4 d) stays small.
        const double direct =
            50.0 * (1 + 0.2 * done - 0.5 * std::log(std::exp(0.4 * done) + std::exp(2.0) - 1));
        EXPECT_EQ(LoadingBarFill(0, done), static_cast<int>(direct)) << done;
        EXPECT_GE(LoadingBarFill(0, done), previous);
        previous = LoadingBarFill(0, done);
    }
    // Long listings must neither overflow nor pass the end.
    EXPECT_GE(LoadingBarFill(0, 100000), 49);
    EXPECT_LE(LoadingBarFill(0, 100000), 50);
    EXPECT_EQ(LoadingBarFill(0, -3), 0);
}

// A folder tree that records what its loads do.
class RecordingTree : public CFolderTreeCtrl {
public:
    using CFolderTreeCtrl::FolderEntry;

    std::map<std::string, int> listings;
    std::string placeholderText;
    QTreeWidgetItem* placeholderParent = nullptr;
    bool placeholderIsLast = false;
    int timerTicks = 0;
    int lastDone = -1;
    int slowMs = 0;
    std::function<void()> onLoopTick;  // run on the second timer tick of a load

protected:
    void OnLoadingEnd() override {
        loopTicks_ = 0;
        CFolderTreeCtrl::OnLoadingEnd();
    }
    bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++listings[folder];
        }
        if (slowMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(slowMs));
        }
        return CFolderTreeCtrl::ListFolder(folder, entries);
    }
    void OnLoadingStart(QTreeWidgetItem* loadingItem) override {
        placeholderText = loadingItem->text(0).toStdString();
        placeholderParent = loadingItem->parent();
        QTreeWidgetItem* parent =
            loadingItem->parent() ? loadingItem->parent() : invisibleRootItem();
        placeholderIsLast = parent->child(parent->childCount() - 1) == loadingItem;
        CFolderTreeCtrl::OnLoadingStart(loadingItem);
    }
    void OnLoadingTick(bool timerFired, int total, int done) override {
        if (!timerFired) {
            lastDone = total >= 1 ? done * 100 / total : -done;
        } else if (++timerTicks; ++loopTicks_ == 2 && onLoopTick) {
            onLoopTick();
        }
        CFolderTreeCtrl::OnLoadingTick(timerFired, total, done);
    }

private:
    std::mutex mutex_;
    int loopTicks_ = 0;
};

class FolderTreeTest : public test::WidgetTest {
protected:
    void SetUp() override {
        root = dir.path();
        for (const char* sub : {"a/b/c/d", "alpha", "Zeta", "empty", "gone/sub", "a/b2"}) {
            fs::create_directories(root + "/" + sub);
        }
        ASSERT_TRUE(test::WriteFileBytes(root + "/file.txt", "not a folder"));
        ASSERT_TRUE(test::WriteFileBytes(root + "/empty/only-a-file.mp3", "x"));
        badName = root + "/bad\xff\xfe name";
        fs::create_directory(badName);
        tree.resize(300, 400);
        tree.SetMountTable(MountTable());
    }

    QTreeWidgetItem* Child(QTreeWidgetItem* parent, const std::string& name) {
        return tree.FindChild(parent, (parent ? tree.GetItemPath(parent) : root) + "/" + name);
    }

    test::TempDir dir;
    std::string root;
    std::string badName;
    RecordingTree tree;
};

TEST_F(FolderTreeTest, TopLevelListsSubfoldersSortedByCollation) {
    tree.SetRoot(root, false);
    std::vector<std::string> names;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        names.push_back(tree.topLevelItem(i)->text(0).toStdString());
    }
    ASSERT_EQ(names.size(), 6u);  // file.txt is no folder
    EXPECT_EQ(names[0], "a");
    EXPECT_EQ(names[1], "alpha");
    EXPECT_EQ(names[3], "empty");
    EXPECT_EQ(names[4], "gone");
    EXPECT_EQ(names[5], "Zeta");
    // Expand buttons from a look inside, without listing the children yet.
    EXPECT_EQ(Child(nullptr, "a")->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(Child(nullptr, "empty")->childIndicatorPolicy(),
              QTreeWidgetItem::DontShowIndicatorWhenChildless);
    EXPECT_EQ(Child(nullptr, "a")->childCount(), 0);
    EXPECT_EQ(tree.listings.count(root + "/a"), 0u);
}

TEST_F(FolderTreeTest, RawPathBytesSurviveADisplayNameThatIsNotUtf8) {
    tree.SetRoot(root, false);
    QTreeWidgetItem* item = tree.FindChild(nullptr, badName);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(tree.GetItemPath(item), badName);
    EXPECT_TRUE(item->text(0).contains(QStringLiteral(" name")));
    EXPECT_TRUE(tree.SelectPath(badName));
    EXPECT_EQ(tree.GetItemPath(tree.currentItem()), badName);
}

TEST_F(FolderTreeTest, ExpansionShowsPlaceholderAndLoadsOnlyOnce) {
    tree.SetRoot(root, false);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    QTreeWidgetItem* a = Child(nullptr, "a");
    tree.setCurrentItem(a);
    // '*' opens the current folder only, not the whole subtree below it.
    QTest::keyClick(&tree, Qt::Key_Asterisk);
    EXPECT_TRUE(a->isExpanded());
    EXPECT_EQ(tree.listings.count(root + "/a/b"), 0u);
    EXPECT_EQ(tree.placeholderText, "Loading...");
    EXPECT_EQ(tree.placeholderParent, a);
    EXPECT_TRUE(tree.placeholderIsLast);
    EXPECT_EQ(tree.listings[root + "/a"], 1);
    ASSERT_EQ(a->childCount(), 2);
    EXPECT_EQ(a->child(0)->text(0), QStringLiteral("b"));
    EXPECT_EQ(a->child(1)->text(0), QStringLiteral("b2"));
    a->setExpanded(false);
    a->setExpanded(true);
    EXPECT_EQ(tree.listings[root + "/a"], 1);
    EXPECT_EQ(a->childCount(), 2);
    EXPECT_EQ(tree.lastDone, 100);  // the bar ends full
}

TEST_F(FolderTreeTest, EmptyOrUnreadableFolderLosesItsExpandButton) {
    tree.SetRoot(root, true);  // every folder offers a button before a look inside
    fs::remove_all(root + "/gone");
    for (const char* name : {"empty", "gone"}) {
        SCOPED_TRACE(name);
        QTreeWidgetItem* item = Child(nullptr, name);
        ASSERT_EQ(item->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
        item->setExpanded(true);
        EXPECT_EQ(item->childCount(), 0);
        EXPECT_EQ(item->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
    }
}

TEST_F(FolderTreeTest, SelectPathWalksDownAndRefusesMissingFolders) {
    tree.SetRoot(root, false);
    EXPECT_TRUE(tree.SelectPath(root + "/a/b/c/"));
    ASSERT_NE(tree.currentItem(), nullptr);
    EXPECT_EQ(tree.GetItemPath(tree.currentItem()), root + "/a/b/c");
    EXPECT_EQ(tree.listings[root + "/a/b"], 1);

    EXPECT_TRUE(tree.SelectPath(root + "//a/./b2/../b"));
    EXPECT_EQ(tree.GetItemPath(tree.currentItem()), root + "/a/b");
    EXPECT_TRUE(tree.SelectPath(root + "/a/b/c/"));

    fs::remove_all(root + "/alpha");
    EXPECT_FALSE(tree.SelectPath(root + "/alpha"));
    EXPECT_FALSE(tree.SelectPath(root + "/a/nothing"));
    EXPECT_FALSE(tree.SelectPath("relative/path"));
    EXPECT_FALSE(tree.SelectPath(root + "/file.txt"));
    EXPECT_EQ(tree.GetItemPath(tree.currentItem()), root + "/a/b/c");

    // From the whole file system the walk starts at "/", the first top-level item.
    tree.SetRoot("", false);
    ASSERT_GE(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.GetItemPath(tree.topLevelItem(0)), "/");
    ASSERT_TRUE(tree.SelectPath(root + "/a/b/c/d"));
    QTreeWidgetItem* item = tree.currentItem();
    EXPECT_EQ(tree.GetItemPath(item), root + "/a/b/c/d");
    while (item->parent() != nullptr) {
        item = item->parent();
    }
    EXPECT_EQ(tree.GetItemPath(item), "/");
}

TEST_F(FolderTreeTest, RefreshReloadsChildrenAndKeepsHorizontalScroll) {
    tree.SetRoot(root, false);
    QTreeWidgetItem* a = Child(nullptr, "a");
    a->setExpanded(true);
    ASSERT_EQ(a->childCount(), 2);
    fs::create_directory(root + "/a/b3");
    fs::remove_all(root + "/a/b");
    tree.Refresh(a);
    EXPECT_EQ(tree.listings[root + "/a"], 2);
    ASSERT_EQ(a->childCount(), 2);
    EXPECT_EQ(a->child(0)->text(0), QStringLiteral("b2"));
    EXPECT_EQ(a->child(1)->text(0), QStringLiteral("b3"));

    // An item without children is left alone.
    QTreeWidgetItem* zeta = Child(nullptr, "Zeta");
    tree.Refresh(zeta);
    EXPECT_EQ(tree.listings.count(root + "/Zeta"), 0u);

    tree.header()->setStretchLastSection(false);
    tree.setColumnWidth(0, 2000);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    QScrollBar* bar = tree.horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 300);
    bar->setValue(300);
    fs::create_directory(root + "/new-top");
    tree.Refresh(nullptr);
    EXPECT_EQ(bar->value(), 300);
    EXPECT_NE(tree.FindChild(nullptr, root + "/new-top"), nullptr);
}

TEST_F(FolderTreeTest, SlowLoadAnimatesWhileTheWorkerLists) {
    tree.SetRoot(root, false);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    tree.slowMs = 800;
    tree.timerTicks = 0;
    QTreeWidgetItem* a = Child(nullptr, "a");
    a->setExpanded(true);
    // 125 ms ticks during 800 ms of listing, plus the one at the start.
    EXPECT_GE(tree.timerTicks, 3);
    EXPECT_FALSE(tree.IsLoading());
    EXPECT_EQ(a->childCount(), 2);
}

TEST_F(FolderTreeTest, ItemsDeletedDuringALoadAreNotTouched) {
    tree.SetRoot(root, false);
    tree.slowMs = 500;
    // Something driven by the event loop empties the tree while the worker lists "a".
    tree.onLoopTick = [this] { tree.clear(); };
    Child(nullptr, "a")->setExpanded(true);
    EXPECT_FALSE(tree.IsLoading());
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    tree.onLoopTick = nullptr;
    tree.slowMs = 0;
    tree.SetRoot(root, false);
    EXPECT_EQ(tree.topLevelItemCount(), 6);
}

TEST_F(FolderTreeTest, SlowMountPointGetsAButtonWithoutALook) {
    fs::create_directory(root + "/net");
    MountEntry nfs;
    nfs.device = "server:/export";
    nfs.mountPoint = root + "/net";
    nfs.fsType = "nfs4";
    nfs.network = true;
    tree.SetMountTable(MountTable({nfs}));
    tree.SetRoot(root, false);
    QTreeWidgetItem* net = Child(nullptr, "net");
    ASSERT_NE(net, nullptr);
    EXPECT_EQ(net->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(tree.listings.count(root + "/net"), 0u);
    net->setExpanded(true);
    EXPECT_EQ(tree.listings[root + "/net"], 1);
    // Below a slow mount an empty listing keeps the button.
    EXPECT_EQ(net->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
}

}  // namespace
}  // namespace corvane
