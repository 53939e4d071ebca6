#include "processing/ProcessingDialog.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "processing/AlbumFixture.h"
#include "support/FakeMp3Info.h"
#include "support/TestSupport.h"
#include "support/WidgetTestApp.h"

namespace corvane::test {
namespace {

class ProcessingDialogTest : public WidgetTest {
protected:
    void SetUp() override {
        files = {MakeFile(dir.path(), "x.mp3", 100), MakeFile(dir.path(), "y.mp3", 200)};
        tracks = {MakeTrack(1, "One"), MakeTrack(2, "Two")};
    }

    CurrentDirGuard cwd;
    TempDir dir;
    FakeMp3Info mp3;
    TrackList files;
    TrackList tracks;
};

// The state of each step picture, in step order.
std::vector<int> PictureStates(const ProcessingDialog& dialog) {
    std::vector<int> states;
    for (const QLabel* picture : dialog.findChildren<QLabel*>()) {
        states.push_back(picture->pixmap().isNull() ? -1 : picture->property("state").toInt());
    }
    return states;
}

constexpr int kBegun = static_cast<int>(ProcessingDialog::StepPicture::kBegun);
constexpr int kFailed = static_cast<int>(ProcessingDialog::StepPicture::kFailed);

// The steps run a tick apart; a failed run shows which step failed and waits
// for OK. (A good run closes itself: the window's road.)
TEST_F(ProcessingDialogTest, RunsEveryStepOnTheTimerAndSaysHowItWent) {
    ProcessingDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Processing Files");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    std::filesystem::remove(files[1].filePath);
    dialog.SetLists(files, tracks, {0, 1}, {0, 1}, mp3);
    dialog.SetOptions(true, true, false);

    bool okDisabledDuringRun = false;
    bool stillOpen = false;
    QTimer::singleShot(ProcessingDialog::kStepInterval * 2, &dialog, [&] {
        okDisabledDuringRun = !dialog.findChild<QPushButton*>()->isEnabled();
        dialog.reject();  // ignored while the steps run
    });
    QTimer::singleShot(ProcessingDialog::kStepInterval * 8, &dialog, [&] {
        stillOpen = dialog.isVisible();
        dialog.findChild<QPushButton*>()->click();
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    // Five steps a tick apart.
    EXPECT_GE(clock.elapsed(), 4 * ProcessingDialog::kStepInterval);
    EXPECT_TRUE(okDisabledDuringRun);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(dialog.findChild<QProgressBar*>()->value(), 100);
    // The log's lines are the pipeline tests'.
    const QStringList lines = dialog.LogLines();
    const int failed = static_cast<int>(lines.indexOf("1 of 2 files failed."));
    ASSERT_GT(failed, 0) << lines.join("\n").toStdString();
    // The dependencies picture changes too, though that step was off.
    EXPECT_EQ(PictureStates(dialog), (std::vector<int>{kBegun, kFailed, kBegun, kBegun}));
    EXPECT_EQ(dialog.SummaryText(), "1 of 2 files failed: see the log");
    // Failure lines stand out; the others keep the list's own colour.
    const auto* list = dialog.findChild<QListWidget*>();
    EXPECT_EQ(list->item(0)->foreground().style(), Qt::NoBrush);
    EXPECT_NE(list->item(failed)->foreground().style(), Qt::NoBrush);
}

}  // namespace
}  // namespace corvane::test
