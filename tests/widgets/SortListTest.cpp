#include "widgets/SortListCtrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
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
    SortChecked(std::vector<std::string>(25, "same"), true);
    SortChecked(std::vector<std::string>(25, "same"), false);
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

TEST_F(SortListTest, HeaderClickSortsThenFlipsAndDrawsTheTriangle) {
    Fill({{"b", "3"}, {"a", "1"}, {"c", "2"}});
    CFlatHeaderCtrl* header = list.FlatHeader();
    header->resizeSection(0, 120);
    header->resizeSection(1, 120);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QRect first(0, 0, 120, header->height());
    const QRect second(120, 0, 120, header->height());
    const QImage unsorted = header->grab().toImage();
    ClickHeader(0);
    EXPECT_EQ(DataOrder(), (std::vector<qint64>{2, 1, 3}));
    const QImage up = header->grab().toImage();
    ClickHeader(0);
    EXPECT_EQ(DataOrder(), (std::vector<qint64>{3, 1, 2}));
    // The triangle: in the sort column only, pointing the way of the order.
    const QImage down = header->grab().toImage();
    EXPECT_NE(up.copy(first), unsorted.copy(first));
    EXPECT_NE(up.copy(first), down.copy(first));
    EXPECT_EQ(up.copy(second), unsorted.copy(second));
    ClickHeader(1);  // another column starts ascending again
    EXPECT_EQ(DataOrder(), (std::vector<qint64>{2, 3, 1}));
}

TEST_F(SortListTest, RowsMoveWholeWithSelectionAndEqualRowsStay) {
    Fill({{"x", "3"}, {"x", "1"}, {"x", "2"}, {"a", "0"}});
    list.topLevelItem(1)->setSelected(true);
    list.topLevelItem(1)->setIcon(0, QIcon(QPixmap(8, 8)));
    list.OnColumnClick(0);
    // "a" comes first; the three "x" rows keep their order among themselves.
    EXPECT_EQ(DataOrder(), (std::vector<qint64>{4, 2, 3, 1}));
    EXPECT_EQ(list.ItemText(0, 1), QStringLiteral("0"));
    ASSERT_EQ(list.selectedItems(), QList<QTreeWidgetItem*>{list.topLevelItem(1)});
    EXPECT_FALSE(list.topLevelItem(1)->icon(0).isNull());
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

TEST_F(SortListTest, EmptyListShowsItsTextCentredBelowTheHeader) {
    QPalette pal = list.palette();
    pal.setColor(QPalette::Text, Qt::red);
    pal.setColor(QPalette::Base, Qt::white);
    list.setPalette(pal);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QRect all = list.viewport()->rect();
    const QRect middle(all.width() / 4, all.height() / 3, all.width() / 2, all.height() / 3);
    auto redPixels = [this](const QRect& area) {
        const QImage image =
            list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                n += image.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
            }
        }
        return n;
    };
    const int red = redPixels(all);
    ASSERT_GT(red, 10) << "no text drawn";
    EXPECT_EQ(redPixels(middle), red);  // all of it in the middle band
    // Row text is drawn in the Text colour too, but at the top, not in the middle band.
    Fill({{"row", "1"}});
    EXPECT_EQ(redPixels(middle), 0);
}

TEST_F(SortListTest, DividerDragsRespectFixedWidthsAndLimits) {
    CFlatHeaderCtrl* header = list.FlatHeader();
    EXPECT_FALSE(header->SetItemEx(2, {0, 60, 100}));
    ASSERT_TRUE(header->SetItemEx(0, {CFlatHeaderCtrl::kFixedWidth, 0, -1}));
    ASSERT_TRUE(header->SetItemEx(1, {0, 60, 100}));
    // A new column leaves the limits of the old ones in step.
    list.setColumnCount(3);
    HeaderItemEx ex;
    ASSERT_TRUE(header->GetItemEx(2, &ex));
    EXPECT_EQ(ex.maxWidth, -1);
    for (int i = 0; i < 3; ++i) {
        header->resizeSection(i, 80);
    }
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    DragHeader(79, 140);  // the fixed column's divider does not move
    EXPECT_EQ(header->sectionSize(0), 80);
    DragHeader(159, 300);  // limited to 100
    EXPECT_EQ(header->sectionSize(1), 100);
    DragHeader(179, 90);  // and not below 60
    EXPECT_EQ(header->sectionSize(1), 60);
}

TEST_F(SortListTest, ColumnDragMovesUnlessTheParentVetoes) {
    list.setColumnCount(3);
    CFlatHeaderCtrl* header = list.FlatHeader();
    header->SetDragColumns(true);
    for (int i = 0; i < 3; ++i) {
        header->resizeSection(i, 80);
    }
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    bool vetoBegin = true;
    bool vetoEnd = false;
    int endTarget = -2;
    QObject::connect(header, &CFlatHeaderCtrl::beginDrag,
                     [&](int, bool* veto) { *veto = vetoBegin; });
    QObject::connect(header, &CFlatHeaderCtrl::endDrag, [&](int, int target, bool* veto) {
        endTarget = target;
        *veto = vetoEnd;
    });
    DragHeader(40, 230);  // vetoed at the start: no drag, no end
    EXPECT_EQ(endTarget, -2);
    EXPECT_EQ(header->visualIndex(0), 0);

    vetoBegin = false;
    QWidget* port = header->viewport();
    const int y = header->height() / 2;
    QTest::mousePress(port, Qt::LeftButton, {}, QPoint(40, y));
    QTest::mouseMove(port, QPoint(50, y));
    QTest::mouseMove(port, QPoint(230, y));
    EXPECT_EQ(header->DropTarget(), 3);
    ASSERT_NE(header->DropMarker(), nullptr);
    QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(230, y));
    EXPECT_EQ(endTarget, 3);
    EXPECT_EQ(header->visualIndex(0), 2);
    EXPECT_EQ(header->DropMarker(), nullptr);

    DragHeader(40, 70);  // next to itself: no move
    EXPECT_EQ(endTarget, -1);
    EXPECT_EQ(header->logicalIndex(0), 1);
    vetoEnd = true;
    DragHeader(40, 230);
    EXPECT_EQ(header->logicalIndex(0), 1);
}

}  // namespace
}  // namespace corvane
