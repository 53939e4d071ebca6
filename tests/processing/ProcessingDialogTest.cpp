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

TEST_F(ProcessingDialogTest, RunsEveryStepOnTheTimerAndClosesItself) {
    ProcessingDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Processing Files");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    dialog.SetLists(files, tracks, {0, 1}, {0, 1}, mp3);
    dialog.SetOptions(true, true, false);

    bool okDisabledDuringRun = false;
    QTimer::singleShot(ProcessingDialog::kStepInterval * 2, &dialog, [&] {
        okDisabledDuringRun = !dialog.findChild<QPushButton*>()->isEnabled();
        dialog.reject();  // ignored while the steps run
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    // Five steps a tick apart.
    EXPECT_GE(clock.elapsed(), 4 * ProcessingDialog::kStepInterval);
    EXPECT_TRUE(okDisabledDuringRun);

    const QStringList lines = dialog.LogLines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines.front().startsWith("Processing Files, started at "));
    EXPECT_EQ(lines[1], "Creating New Directory... Done.");
    EXPECT_EQ(lines[2], "Moving Files... Done.");
    EXPECT_EQ(lines[3], "Renaming and ID3Tag Files... Done.");
    EXPECT_EQ(lines[4], "Creating Playlist... Done.");
    EXPECT_TRUE(lines.back().startsWith("Operation finished at "));
    EXPECT_EQ(dialog.findChild<QProgressBar*>()->value(), 100);
    EXPECT_TRUE(dialog.findChild<QPushButton*>()->isEnabled());
    const auto pictures = dialog.findChildren<QLabel*>();
    int begun = 0;
    for (const QLabel* picture : pictures) {
        if (picture->property("begun").toBool()) {
            EXPECT_FALSE(picture->pixmap().isNull());
            ++begun;
        }
    }
    // The dependencies picture changes too, though that step was off.
    EXPECT_EQ(begun, 4);
    EXPECT_TRUE(std::filesystem::exists(dir.File("Artist - Album/02 - Two.mp3")));
}

TEST_F(ProcessingDialogTest, ReuseStartsAFreshLogAndReportsFailures) {
    ProcessingDialog dialog;
    dialog.SetLists(files, tracks, {0, 1}, {0, 1}, mp3);
    dialog.SetOptions(false, false, false);
    dialog.exec();
    EXPECT_EQ(dialog.FailureCount(), 0);
    // The files are gone under their old names: the second run says so.
    dialog.exec();
    const QStringList lines = dialog.LogLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines.front().startsWith("Processing Files, started at "));
    EXPECT_EQ(lines[1], "Renaming and ID3Tag Files...");
    EXPECT_TRUE(lines.contains("2 of 2 files failed.")) << lines.join("\n").toStdString();
    // Failure lines stand out; the others keep the list's own colour.
    const auto* list = dialog.findChild<QListWidget*>();
    ASSERT_NE(list, nullptr);
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem* item = list->item(row);
        const bool problem = item->text().startsWith("Cannot") || item->text().contains("failed");
        EXPECT_EQ(item->foreground().style() != Qt::NoBrush, problem) << item->text().toStdString();
    }
    EXPECT_EQ(dialog.FailureCount(), 2);
}

}  // namespace
}  // namespace corvane::test
