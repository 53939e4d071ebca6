#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "lookup/ManualSearchDialog.h"
#include "lookup/SelectDiskDialog.h"
#include "lookup/TrackCountDialog.h"
#include "support/LayoutCheck.h"
#include "support/WidgetTestApp.h"

namespace corvane {
namespace {

using test::MisplacedControls;

using LookupDialogsTest = test::WidgetTest;

// Closes a modal dialog with -1 when it has not closed by itself within a few
// seconds, so that a failure cannot hang the test run.
class ModalGuard {
public:
    explicit ModalGuard(QDialog& dialog) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, &dialog, [&dialog] { dialog.done(-1); });
        timer_.start(5000);
    }

private:
    QTimer timer_;
};

int RunModal(QDialog& dialog) {
    ModalGuard guard(dialog);
    return dialog.exec();
}

// Sorted regardless of case, they are the second, the third and the first.
std::vector<DiscMatch> ThreeMatches() {
    return {{"rock", 0x0a0b0c0d, "Zed", "Last"},
            {"jazz", 0x01020304, "abe", "First"},
            {"misc", 0x0f0f0f0f, "Max", "Middle"}};
}

TEST_F(LookupDialogsTest, SelectDiskSortsLinesAndKeepsEachCandidate) {
    SelectDiskDialog dialog;
    dialog.SetMatches(ThreeMatches());
    QListWidget* list = dialog.List();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "abe / First - [01020304]");
    EXPECT_EQ(list->item(1)->text(), "Max / Middle - [0f0f0f0f]");
    EXPECT_EQ(list->item(2)->text(), "Zed / Last - [0a0b0c0d]");
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.SelectedData(), 0);

    // The second line in sorted order is the third match of the answer.
    list->setCurrentRow(1);
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.SelectedData(), 2);
    EXPECT_EQ(dialog.ChosenEdit()->text(), "Max / Middle");
}

// The same disc in two categories: each line names its category.
TEST_F(LookupDialogsTest, SelectDiskTellsMatchesOfOneIdApartByCategory) {
    std::vector<DiscMatch> matches = ThreeMatches();
    matches.push_back({"blues", 0x0a0b0c0d, "Zed", "Last"});
    SelectDiskDialog dialog;
    dialog.SetMatches(matches);
    EXPECT_EQ(dialog.List()->item(0)->text(), "abe / First - [01020304]");
    EXPECT_EQ(dialog.List()->item(2)->text(), "Zed / Last (blues) - [0a0b0c0d]");
    EXPECT_EQ(dialog.List()->item(3)->text(), "Zed / Last (rock) - [0a0b0c0d]");
    SelectDiskDialog search;
    search.SetSearchResults({{"", "A / B", "misc", "00000001"},
                             {"", "A / B", "rock", "00000001"},
                             {"", "Other", "rock", "00000002"}});
    EXPECT_EQ(search.List()->item(1)->text(), "A / B (rock) - [00000001]");
    EXPECT_EQ(search.List()->item(2)->text(), "Other - [00000002]");
}

// On show the first line is current and the arrows move from it; OK answers the chosen line,
// Esc rejects. A line too long for the usual size widens the dialog.
TEST_F(LookupDialogsTest, SelectDiskStartsOnTheFirstLineAndAnswersTheChosenOne) {
    SelectDiskDialog dialog;
    dialog.SetMatches(ThreeMatches());
    dialog.AddLine(std::string(50, 'w') + " / Long - [00000001]", 7);
    QTimer::singleShot(0, &dialog, [&] {
        QListWidget* list = dialog.List();
        EXPECT_EQ(list->currentRow(), 0);
        EXPECT_GT(dialog.width(), dialog.minimumWidth());
        EXPECT_GE(list->viewport()->width(), list->sizeHintForColumn(0));
        QTest::keyClick(list, Qt::Key_Down);
        dialog.OkButton()->click();
    });
    EXPECT_EQ(RunModal(dialog), QDialog::Accepted);
    EXPECT_EQ(dialog.SelectedData(), 2);  // "Max / Middle", the third match

    QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(RunModal(dialog), QDialog::Rejected);
}

TEST_F(LookupDialogsTest, TrackCountShowsItsCaseAndAnswers) {
    TrackCountDialog dialog;
    dialog.Prepare(true, true);
    dialog.show();
    dialog.adjustSize();
    EXPECT_EQ(dialog.windowTitle(), "Not enough MP3 files !");
    EXPECT_TRUE(dialog.NotEnoughText()->text().contains("given by CDDB. Some MP3"));
    EXPECT_EQ(MisplacedControls(&dialog), std::vector<std::string>());
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.NewAlbumButton()->click(); });
    ModalGuard guard(dialog);
    EXPECT_TRUE(dialog.AskTrackCount(true, true) == TrackCountAnswer::kSelectNewAlbum);
}

// OK needs three characters that are not blanks or - ) ( _ +; the words kept
// are the last text that had them.
TEST_F(LookupDialogsTest, ManualSearchEnablesOkForUsableWordsOnly) {
    ManualSearchDialog dialog;
    dialog.SetInitialWords("");
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.SetInitialWords("SOME BAND LIVE");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    dialog.WordsEdit()->setText(QStringLiteral("A-B"));  // the rules are SearchWordsUsable's
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.Words(), "SOME BAND LIVE");
    dialog.WordsEdit()->setText(QStringLiteral("Björk"));
    EXPECT_EQ(dialog.Words(), "Björk");
}

}  // namespace
}  // namespace corvane
