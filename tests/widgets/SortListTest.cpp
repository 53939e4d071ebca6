#include "widgets/SortListCtrl.h"

#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <random>

#include "support/WidgetTestApp.h"
#include "widgets/RowQuickSort.h"

namespace corvane {
namespace {

// Sorts a copy of `texts` and checks on the way that no two equal texts are ever swapped.
std::vector<std::string> SortChecked(std::vector<std::string> texts, bool ascending) {
    QuickSortRows(
        0, static_cast<int>(texts.size()) - 1, ascending,
        [&texts](int i) -> const std::string& { return texts[i]; },
        [&texts](int a, int b) {
            EXPECT_NE(texts[a], texts[b]) << "equal rows swapped";
            std::swap(texts[a], texts[b]);
        });
    return texts;
}

TEST(RowQuickSort, SortsBothWaysByteWiseAndNeverSwapsEqualRows) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> texts(random() % 40);
        for (std::string& t : texts) {
            t = std::string(1, "aAbB\xc3z"[random() % 6]) + std::string(1, "xy"[random() % 2]);
        }
        std::vector<std::string> up = texts;
        std::sort(up.begin(), up.end());
        EXPECT_EQ(SortChecked(texts, true), up);
        std::vector<std::string> down = up;
        std::reverse(down.begin(), down.end());
        EXPECT_EQ(SortChecked(texts, false), down);
    }
    // Case-sensitive and by unsigned bytes: "B" < "a" < "\xc3..." (UTF-8 letters last).
    EXPECT_EQ(SortChecked({"a", "\xc3\xa9", "B"}, true),
              (std::vector<std::string>{"B", "a", "\xc3\xa9"}));
}

class SortListTest : public test::WidgetTest {
protected:
    void SetUp() override {
        list.setColumnCount(2);
        list.setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Time")});
        list.resize(300, 200);
    }

    void Fill(const std::vector<std::pair<const char*, const char*>>& rows) {
        int data = 0;
        for (const auto& [name, time] : rows) {
            const int row = list.InsertRow(-1, {QString::fromUtf8(name), QString::fromUtf8(time)});
            list.SetItemData(row, ++data);
        }
    }

    std::vector<qint64> DataOrder() const {
        std::vector<qint64> order;
        for (int row = 0; row < list.RowCount(); ++row) {
            order.push_back(list.ItemData(row));
        }
        return order;
    }

    void ClickHeader(int column) {
        CFlatHeaderCtrl* header = list.FlatHeader();
        const QPoint centre(
            header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    }

    // Presses the header at x, moves a little, then on to toX and releases.
    void DragHeader(int x, int toX) {
        QWidget* port = list.FlatHeader()->viewport();
        const int y = list.FlatHeader()->height() / 2;
        QTest::mousePress(port, Qt::LeftButton, {}, QPoint(x, y));
        QTest::mouseMove(port, QPoint(x + 10, y));
        QTest::mouseMove(port, QPoint(toX, y));
        QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(toX, y));
    }

    SortListCtrl list;
};

TEST_F(SortListTest, HeaderClickSortsThenFlips) {
    Fill({{"b", "3"}, {"a", "1"}, {"c", "2"}});
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    ClickHeader(0);
    EXPECT_EQ(DataOrder(), (std::vector<qint64>{2, 1, 3}));
    ClickHeader(0);
    EXPECT_EQ(DataOrder(), (std::vector<qint64>{3, 1, 2}));
    ClickHeader(1);  // another column starts ascending again
    EXPECT_EQ(DataOrder(), (std::vector<qint64>{2, 3, 1}));
}

TEST_F(SortListTest, RowsMoveWholeWithSelectionAndEqualRowsStay) {
    Fill({{"x", "3"}, {"x", "1"}, {"x", "2"}, {"a", "0"}});
    list.topLevelItem(1)->setSelected(true);
    list.OnColumnClick(0);
    // "a" comes first; the three "x" rows keep their order among themselves.
    EXPECT_EQ(DataOrder(), (std::vector<qint64>{4, 2, 3, 1}));
    EXPECT_EQ(list.ItemText(0, 1), QStringLiteral("0"));
    EXPECT_EQ(list.selectedItems(), QList<QTreeWidgetItem*>{list.topLevelItem(1)});
    list.EnableSorting(false);
    list.OnColumnClick(1);
    EXPECT_EQ(DataOrder(), (std::vector<qint64>{4, 2, 3, 1}));
}

// Another view's order is taken by item data: missing rows become empty gaps, rows the
// order does not name go last, and a row keeps its selection wherever it goes.
TEST_F(SortListTest, ArrangeRowsFollowsAnOrderOfItemData) {
    Fill({{"one", "1"}, {"two", "2"}, {"three", "3"}, {"four", "4"}});
    list.topLevelItem(2)->setSelected(true);
    list.ArrangeRows({3, 9, 1});
    EXPECT_EQ(DataOrder(), (std::vector<qint64>{3, SortListCtrl::kGapRowData, 1, 2, 4}));
    EXPECT_TRUE(list.ItemText(1, 0).isEmpty());
    EXPECT_EQ(list.selectedItems(), QList<QTreeWidgetItem*>{list.topLevelItem(0)});
    list.RemoveRowsWithData(SortListCtrl::kGapRowData);
    EXPECT_EQ(DataOrder(), (std::vector<qint64>{3, 1, 2, 4}));
}

// Three columns of 80: a divider stops at its column's limit, a column moves where dropped.
TEST_F(SortListTest, DividerStopsAtTheLimitAndColumnsMove) {
    list.setColumnCount(3);
    CFlatHeaderCtrl* header = list.FlatHeader();
    ASSERT_TRUE(header->SetItemEx(1, {0, 60, 100}));
    header->SetDragColumns(true);
    for (int i = 0; i < 3; ++i) {
        header->resizeSection(i, 80);
    }
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    DragHeader(159, 300);
    EXPECT_EQ(header->sectionSize(1), 100);
    DragHeader(40, 250);
    EXPECT_EQ(header->visualIndex(0), 2);
}

}  // namespace
}  // namespace corvane
