#include "association/AssociationDialog.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "association/ListBoxExCtrl.h"
#include "association/MoveButtonBarCtrl.h"
#include "support/WidgetTestApp.h"
#include "widgets/SortListCtrl.h"

namespace corvane {
namespace {

TrackInfo Record(const std::string& name, const std::string& title, const std::string& track,
                 std::uint32_t seconds) {
    TrackInfo record;
    record.fileName = name;
    record.title = title;
    record.track = track;
    record.playSeconds = seconds;
    return record;
}

// Files named by another ripper, in another order than the album, one extra.
struct AssociationDialogTest : test::WidgetTest {
    AssociationDialogTest() {
        for (int i = 0; i < 3; ++i) {
            const std::string title = "Song " + std::to_string(i + 1);
            tracks.push_back(Record(title + ".mp3", title, std::to_string(i + 1),
                                    static_cast<std::uint32_t>(100 + 50 * i)));
        }
        files = {Record("x-song 3.mp3", "", " - ", 200), Record("x-song 1.mp3", "", " - ", 100),
                 Record("x-song 2.mp3", "", " - ", 150), Record("bonus.mp3", "", " - ", 999)};
        fileView.InsertRow(0, {"old"});
        dialog.SetSources(files, tracks, &fileView, &trackView);
        dialog.Prepare();
    }
    std::vector<std::string> Column(const SortListCtrl& view) const {
        std::vector<std::string> texts;
        for (int row = 0; row < view.RowCount(); ++row) {
            texts.push_back(view.ItemText(row, 0).toStdString());
        }
        return texts;
    }
    std::vector<QString> Texts(const CListBoxEx* list) const {
        std::vector<QString> texts;
        for (int row = 0; row < list->count(); ++row) {
            texts.push_back(list->item(row)->text());
        }
        return texts;
    }

    TrackList files;
    TrackList tracks;
    SortListCtrl fileView;
    SortListCtrl trackView;
    AssociationDialog dialog;
};

TEST_F(AssociationDialogTest, OkWritesThePairingRowAgainstRowAndCancelLeavesTheViews) {
    CListBoxEx* fileList = dialog.FileListBox();
    ASSERT_EQ(fileList->count(), 4);
    EXPECT_EQ(fileList->item(0)->text(), "x-song 1.mp3 [00:01:40]");
    EXPECT_EQ(fileList->item(3)->text(), "bonus.mp3 [00:16:39]");
    EXPECT_EQ(dialog.TitleListBox()->item(3)->text(), " ");

    dialog.reject();
    EXPECT_EQ(Column(fileView), std::vector<std::string>{"old"});

    // Song 1 and Song 2 change files, the file of Song 3 is deleted.
    fileList->MoveDown(0);
    fileList->setCurrentRow(2);
    QTest::mouseClick(dialog.ButtonBar(), Qt::LeftButton, {},
                      dialog.ButtonBar()->ButtonRect(0).center());
    EXPECT_EQ(fileList->item(2)->text(), "");
    dialog.accept();
    EXPECT_EQ(Column(fileView), (std::vector<std::string>{"x-song 2.mp3", "x-song 1.mp3"}));
    EXPECT_EQ(Column(trackView), (std::vector<std::string>{"Song 1.mp3", "Song 2.mp3"}));
    EXPECT_EQ(fileView.ItemData(0), 2);
    EXPECT_EQ(trackView.ItemData(1), 1);
    EXPECT_FALSE(fileView.IsSortingEnabled());
    EXPECT_FALSE(trackView.IsSortingEnabled());
}

TEST_F(AssociationDialogTest, AutoAfterManualRestoresThePairingAndSelectionsFollow) {
    const std::vector<QString> automatic = Texts(dialog.FileListBox());
    dialog.FileListBox()->MoveDown(0);
    dialog.ManualButton()->click();
    EXPECT_EQ(dialog.FileListBox()->item(0)->text(), "x-song 3.mp3 [00:03:20]");
    dialog.AutoButton()->click();
    EXPECT_EQ(Texts(dialog.FileListBox()), automatic);

    dialog.TitleListBox()->setCurrentRow(2);
    EXPECT_EQ(dialog.FileListBox()->currentRow(), 2);
    dialog.FileListBox()->setCurrentRow(1);
    EXPECT_EQ(dialog.TitleListBox()->currentRow(), 1);
}

TEST_F(AssociationDialogTest, SharedScrollBarScrollsOnlyPastOnePage) {
    for (const int count : {15, 16}) {
        tracks.resize(static_cast<std::size_t>(count), Record("t.mp3", "T", "9", 1));
        dialog.Prepare();
        const QScrollBar* bar = dialog.SharedScrollBar();
        EXPECT_EQ(bar->maximum(), count == 15 ? 0 : 15);
        EXPECT_EQ(bar->pageStep(), 15);
        EXPECT_EQ(bar->isEnabled(), count == 16);
    }
}

TEST(ListBoxExTest, DropsMovesAndKeysKeepRowsAndData) {
    test::WidgetApp();
    CListBoxEx list;
    CListBoxEx partner;
    list.SetPartner(&partner);
    const auto reset = [&] {
        list.clear();
        partner.clear();
        for (int i = 0; i < 4; ++i) {
            auto* item = new QListWidgetItem(QString::number(i), &list);
            item->setData(Qt::UserRole, i * 10);
            new QListWidgetItem(QString(), &partner);
        }
    };
    const auto order = [&] {
        QString text;
        for (int row = 0; row < list.count(); ++row) {
            text += list.item(row)->text();
            EXPECT_EQ(list.item(row)->data(Qt::UserRole).toInt(),
                      list.item(row)->text().toInt() * 10);
        }
        return text;
    };
    // from, drop before (4 = the temporary last row), the order after.
    const struct {
        int from;
        int before;
        const char* order;
    } drops[] = {{0, 4, "1230"}, {3, 0, "3012"}, {1, 1, "0123"}, {1, 2, "0123"}, {3, 4, "0123"}};
    for (const auto& drop : drops) {
        reset();
        ASSERT_TRUE(list.BeginDrag(drop.from));
        EXPECT_EQ(list.count(), 5);
        list.Drop(drop.before);
        EXPECT_EQ(order(), drop.order);
        EXPECT_FALSE(list.HasDropRow());
        EXPECT_EQ(partner.currentRow(), list.currentRow());
    }

    reset();
    QSignalSpy moved(&list, &CListBoxEx::rowMoved);
    list.setCurrentRow(0);
    QTest::keyClick(&list, Qt::Key_Up, Qt::AltModifier);
    QTest::keyClick(&list, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(order(), "1023");
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 1);
    list.EnableMove(false);
    QTest::keyClick(&list, Qt::Key_Up, Qt::AltModifier);
    EXPECT_FALSE(list.BeginDrag(1));
    EXPECT_EQ(order(), "1023");
}

TEST(MoveButtonBarTest, PressReleasedOverAnotherButtonRunsNothing) {
    test::WidgetApp();
    CListBoxEx list;
    for (const char* text : {"a", "b"}) {
        list.addItem(text);
    }
    list.setCurrentRow(1);
    CMoveButtonBar bar("caption");
    bar.resize(200, 24);
    bar.SetTarget(&list);
    QTest::mousePress(&bar, Qt::LeftButton, {}, bar.ButtonRect(1).center());
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, bar.ButtonRect(2).center());
    EXPECT_EQ(list.item(0)->text(), "a");
    QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.ButtonRect(1).center());
    EXPECT_EQ(list.item(0)->text(), "b");
}

}  // namespace
}  // namespace corvane
