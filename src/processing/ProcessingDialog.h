#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <string>
#include <vector>

#include "album/TrackInfo.h"
#include "components/Mp3InfoObject.h"
#include "processing/ProcessingLog.h"
#include "processing/ProcessingPipeline.h"
#include "widgets/CoverBox.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace corvane {

// "Processing Files": runs the processing steps one per 250 ms timer tick,
// shows each step's picture once it has begun (or failed), the progress and
// the log, and closes itself one tick after the last step unless something
// failed or was skipped: then it waits for "OK". The main window keeps one and
// reuses it for every run.
class ProcessingDialog : public QDialog, public ProcessingLog {
    Q_OBJECT

public:
    enum class StepPicture { kBefore, kBegun, kFailed };

    explicit ProcessingDialog(QWidget* parent = nullptr);

    void SetLists(const TrackList& files, const TrackList& tracks, std::vector<int> fileRows,
                  std::vector<int> trackRows, Mp3InfoObject& mp3Info);
    void SetOptions(bool createDirectory, bool createPlaylist, bool moveDependencies);
    // The tag version and the cover, from the settings; covers are scaled
    // with Qt's image reader.
    void SetTagOptions(const SettingsValues& settings);
    void SetDependencyOptions(const std::string& searchWords, bool confirmDependencies);
    void SetDependencyStep(DependencyStep* step) { pipeline_.SetDependencyStep(step); }

    // Runs the processing; returns when the dialog has closed itself.
    int exec() override;

    // Adds a log line; "Done." is joined to the line before.
    void Log(const std::string& text) override;
    // Adds a line that stands out: a failure or a file left untouched.
    void LogProblem(const std::string& text) override;

    // Of the last run.
    int FailureCount() const { return pipeline_.FailureCount(); }
    int SkippedCount() const { return pipeline_.SkippedCount(); }
    // The line for the main window's status list.
    std::string SummaryText() const { return pipeline_.SummaryText(); }
    const Plan& ThePlan() const { return pipeline_.ThePlan(); }
    QStringList LogLines() const;

    static constexpr int kStepInterval = 250;  // ms

    // The run cannot be broken off half way (Esc, the window manager).
    void reject() override;

private:
    void Begin();
    void OnTick();
    bool RunStep(int step);
    void Finish();
    void ShowStepPicture(int step, StepPicture state);

    ProcessingPipeline pipeline_;
    TagOptions tags_;
    QtImageScaler scaler_;
    QTimer timer_;
    std::array<QLabel*, 4> pictures_{};
    QListWidget* log_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* ok_ = nullptr;
    int step_ = 0;
    bool busy_ = false;
    bool running_ = false;
};

}  // namespace corvane
