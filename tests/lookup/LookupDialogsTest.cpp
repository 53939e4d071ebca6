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
    EXPECT_TRUE(dialog.ChosenEdit()->isReadOnly());
    list->clearSelection();
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(SelectDiskDialog::ShownText("A / B - [12345678]"), "A / B");
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

// On show the first line is current and the arrows move from it; OK or a double click answers
// the chosen line, Esc rejects. A line too long for the usual size widens the dialog.
TEST_F(LookupDialogsTest, SelectDiskStartsOnTheFirstLineAndAnswersTheChosenOne) {
    SelectDiskDialog dialog;
    dialog.SetMatches(ThreeMatches());
    dialog.AddLine(std::string(50, 'w') + " / Long - [00000001]", 7);
    QTimer::singleShot(0, &dialog, [&] {
        QListWidget* list = dialog.List();
        EXPECT_EQ(list->currentRow(), 0);
        EXPECT_TRUE(list->hasFocus() || dialog.focusWidget() == list);
        EXPECT_TRUE(dialog.OkButton()->isEnabled());
        EXPECT_GT(dialog.width(), dialog.minimumWidth());
        EXPECT_GE(list->viewport()->width(), list->sizeHintForColumn(0));
        QTest::keyClick(list, Qt::Key_Down);
        dialog.OkButton()->click();
    });
    EXPECT_EQ(RunModal(dialog), QDialog::Accepted);
    EXPECT_EQ(dialog.SelectedData(), 2);  // "Max / Middle", the third match

    QTimer::singleShot(0, &dialog, [&] {
        dialog.List()->setCurrentRow(3);  // "Zed / Last", after the long line
        emit dialog.List()->itemDoubleClicked(dialog.List()->item(3));
    });
    EXPECT_EQ(RunModal(dialog), QDialog::Accepted);
    EXPECT_EQ(dialog.SelectedData(), 0);
    QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(RunModal(dialog), QDialog::Rejected);
}

TEST_F(LookupDialogsTest, TrackCountShowsTheTextAndPictureOfTheCase) {
    TrackCountDialog dialog;
    for (const bool notEnough : {false, true}) {
        dialog.Prepare(notEnough, notEnough);
        EXPECT_EQ(dialog.windowTitle(),
                  notEnough ? "Not enough MP3 files !" : "Too many MP3 files !");
        EXPECT_EQ(dialog.TooManyText()->isHidden(), notEnough);
        EXPECT_EQ(dialog.TooManyPicture()->isHidden(), notEnough);
        EXPECT_EQ(dialog.NotEnoughText()->isHidden(), !notEnough);
        EXPECT_EQ(dialog.NotEnoughPicture()->isHidden(), !notEnough);
        EXPECT_EQ(dialog.NewAlbumButton()->isEnabled(), notEnough);
        EXPECT_TRUE((notEnough ? dialog.NotEnoughText() : dialog.TooManyText())
                        ->text()
                        .contains(notEnough ? "given by CDDB. Some MP3" : "given by CDDB. This happen"));
    }
}

// New album, keep, cancel, and Esc.
TEST_F(LookupDialogsTest, TrackCountButtonsAnswer) {
    using Answer = TrackCountAnswer;
    for (const auto& [button, answer] :
         {std::pair{0, Answer::kSelectNewAlbum}, std::pair{1, Answer::kKeepAlbum},
          std::pair{2, Answer::kCancelQuery}, std::pair{3, Answer::kCancelQuery}}) {
        TrackCountDialog dialog;
        QTimer::singleShot(0, &dialog, [&dialog, button = button] {
            if (button == 3) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
                return;
            }
            QPushButton* buttons[] = {dialog.NewAlbumButton(), dialog.KeepButton(),
                                      dialog.CancelButton()};
            buttons[button]->click();
        });
        ModalGuard guard(dialog);
        EXPECT_TRUE(dialog.AskTrackCount(true, true) == answer) << "button " << button;
    }
}

// OK needs three characters that are not blanks or - ) ( _ +; the words kept
// are the last text that had them.
TEST_F(LookupDialogsTest, ManualSearchEnablesOkForUsableWordsOnly) {
    ManualSearchDialog dialog;
    dialog.SetInitialWords("");
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.SetInitialWords("SOME BAND LIVE");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.WordsEdit()->cursorPosition(), 14);
    for (const char* unusable : {"- - (_) +", "A-B"}) {
        dialog.WordsEdit()->setText(QString::fromUtf8(unusable));
        EXPECT_FALSE(dialog.OkButton()->isEnabled()) << unusable;
    }
    EXPECT_EQ(dialog.Words(), "SOME BAND LIVE");
    dialog.WordsEdit()->setText(QStringLiteral("Björk"));
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.Words(), "Björk");
}

TEST_F(LookupDialogsTest, DialogsAreLaidOutWithoutOverlaps) {
    SelectDiskDialog select;
    select.SetMatches(ThreeMatches());
    select.List()->setCurrentRow(0);
    select.show();
    EXPECT_EQ(MisplacedControls(&select), std::vector<std::string>());
    TrackCountDialog count;
    for (bool notEnough : {false, true}) {
        count.Prepare(notEnough, notEnough);
        count.show();
        count.adjustSize();
        EXPECT_EQ(MisplacedControls(&count), std::vector<std::string>()) << notEnough;
    }
    ManualSearchDialog search;
    search.SetInitialWords("LUMEN QUARTET HARBOUR NIGHTS");
    search.show();
    EXPECT_EQ(MisplacedControls(&search), std::vector<std::string>());
}

}  // namespace
}  // namespace corvane
