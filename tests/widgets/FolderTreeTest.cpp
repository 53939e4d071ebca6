#include "widgets/FolderTreeCtrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
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

// An unknown total creeps towards half full from the start, never back, and long listings
// neither overflow nor pass the end.
TEST(LoadingProgress, KnownTotalIsAShareAndUnknownTotalCreepsTowardsFull) {
    EXPECT_EQ(LoadingBarFill(4, 2), 25);
    EXPECT_EQ(LoadingBarFill(2, 5), 50);  // never past the end
    for (int done = 1; done <= 60; ++done) {
        EXPECT_GE(LoadingBarFill(0, done), LoadingBarFill(0, done - 1)) << done;
    }
    EXPECT_GE(LoadingBarFill(0, 100000), 49);
    EXPECT_LE(LoadingBarFill(0, 100000), 50);
}

// A folder tree that records what its loads do.
class RecordingTree : public CFolderTreeCtrl {
public:
    using CFolderTreeCtrl::FolderEntry;

    std::map<std::string, int> listings;
    std::string placeholderText;
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
        CFolderTreeCtrl::OnLoadingStart(loadingItem);
    }
    void OnLoadingTick(bool timerFired, int total, int done) override {
        if (timerFired && ++loopTicks_ == 2 && onLoopTick) {
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

    static QStringList ChildNames(QTreeWidgetItem* item) {
        QStringList names;
        for (int i = 0; i < item->childCount(); ++i) {
            names << item->child(i)->text(0);
        }
        return names;
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
    ASSERT_EQ(names.size(), 6u);     // file.txt is no folder
    names.erase(names.begin() + 2);  // the name that is not UTF-8
    EXPECT_EQ(names, (std::vector<std::string>{"a", "alpha", "empty", "gone", "Zeta"}));
    // Expand buttons from a look inside, without listing the children yet.
    EXPECT_EQ(Child(nullptr, "a")->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(Child(nullptr, "empty")->childIndicatorPolicy(),
              QTreeWidgetItem::DontShowIndicatorWhenChildless);
    EXPECT_EQ(tree.listings.count(root + "/a"), 0u);
    // A name that is not UTF-8 is shown as well as it goes; its path keeps the raw bytes.
    QTreeWidgetItem* bad = tree.FindChild(nullptr, badName);
    ASSERT_NE(bad, nullptr);
    EXPECT_TRUE(bad->text(0).contains(QStringLiteral(" name")));
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
    a->setExpanded(false);
    a->setExpanded(true);
    EXPECT_EQ(tree.listings[root + "/a"], 1);
    EXPECT_EQ(ChildNames(a), (QStringList{"b", "b2"}));
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
    EXPECT_TRUE(tree.SelectPath(root + "//a/./b2/../b/c/"));
    EXPECT_EQ(tree.GetItemPath(tree.currentItem()), root + "/a/b/c");
    EXPECT_EQ(tree.listings[root + "/a/b"], 1);
    fs::remove_all(root + "/alpha");
    for (const std::string& bad : {root + "/alpha", std::string("relative"), root + "/file.txt"}) {
        EXPECT_FALSE(tree.SelectPath(bad)) << bad;
    }
    EXPECT_EQ(tree.GetItemPath(tree.currentItem()), root + "/a/b/c");
    // From the whole file system the walk starts at "/", the first top-level item.
    tree.SetRoot("", false);
    ASSERT_TRUE(tree.SelectPath(root + "/a/b/c/d"));
    QTreeWidgetItem* item = tree.currentItem();
    while (item->parent() != nullptr) {
        item = item->parent();
    }
    EXPECT_EQ(item, tree.topLevelItem(0));
    EXPECT_EQ(tree.GetItemPath(item), "/");
}

TEST_F(FolderTreeTest, RefreshReloadsChildren) {
    tree.SetRoot(root, false);
    QTreeWidgetItem* a = Child(nullptr, "a");
    a->setExpanded(true);
    ASSERT_EQ(a->childCount(), 2);
    fs::create_directory(root + "/a/b3");
    fs::remove_all(root + "/a/b");
    tree.Refresh(a);
    EXPECT_EQ(tree.listings[root + "/a"], 2);
    EXPECT_EQ(ChildNames(a), (QStringList{"b2", "b3"}));

    tree.Refresh(Child(nullptr, "Zeta"));  // no children: left alone
    EXPECT_EQ(tree.listings.count(root + "/Zeta"), 0u);
}

// Folders made or removed after the load show up or go: by the watcher under an expanded
// folder, by Refresh() anywhere on show, on a new expansion when the folder changed.
TEST_F(FolderTreeTest, FollowsTheDiskAndHidesDotFolders) {
    fs::create_directories(root + "/.corvane-run");
    fs::create_directories(root + "/a/.corvane-run");
    tree.SetRoot(root, false);
    EXPECT_EQ(tree.topLevelItemCount(), 6);
    EXPECT_EQ(Child(nullptr, ".corvane-run"), nullptr);
    QTreeWidgetItem* a = Child(nullptr, "a");
    ASSERT_TRUE(tree.SelectPath(root + "/a/b/c"));
    EXPECT_EQ(ChildNames(a), (QStringList{"b", "b2"}));
    EXPECT_TRUE(tree.WatchedFolders().contains(QString::fromStdString(root + "/a/b")));
    QSignalSpy selected(&tree, &QTreeWidget::currentItemChanged);

    fs::create_directory(root + "/a/b1");
    fs::remove_all(root + "/a/b2");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return ChildNames(a) == QStringList{"b", "b1"};
        },
        5000))
        << ChildNames(a).join(',').toStdString();
    EXPECT_EQ(tree.GetItemPath(tree.currentItem()), root + "/a/b/c");
    EXPECT_EQ(selected.count(), 0);

    // The selected folder goes: its nearest remaining ancestor takes its place.
    fs::remove_all(root + "/a/b/c");
    fs::create_directory(root + "/a/0");
    fs::create_directory(root + "/Zeta/inner");  // not expanded: it gains a button
    tree.Refresh();
    EXPECT_EQ(ChildNames(a), (QStringList{"0", "b", "b1"}));
    EXPECT_EQ(tree.GetItemPath(tree.currentItem()), root + "/a/b");
    EXPECT_EQ(selected.count(), 1);
    EXPECT_EQ(Child(nullptr, "Zeta")->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);

    a->setExpanded(false);
    EXPECT_FALSE(tree.WatchedFolders().contains(QString::fromStdString(root + "/a")));
    fs::create_directory(root + "/a/b9");
    a->setExpanded(true);
    EXPECT_EQ(ChildNames(a), (QStringList{"0", "b", "b1", "b9"}));
}

// While the worker lists a slow folder the event loop runs; items it deletes meanwhile are
// not touched afterwards.
TEST_F(FolderTreeTest, SlowLoadSurvivesDeletedItems) {
    tree.SetRoot(root, false);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    tree.slowMs = 500;
    tree.onLoopTick = [this] { tree.clear(); };
    Child(nullptr, "gone")->setExpanded(true);
    EXPECT_FALSE(tree.IsLoading());
    EXPECT_EQ(tree.topLevelItemCount(), 0);
}

TEST_F(FolderTreeTest, SlowMountPointGetsAButtonWithoutALook) {
    fs::create_directory(root + "/net");
    tree.SetMountTable(MountTable({{.device = "server:/export",
                                    .mountPoint = root + "/net",
                                    .fsType = "nfs4",
                                    .network = true}}));
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
