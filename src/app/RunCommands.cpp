#include "app/RunCommands.h"

#include <QMessageBox>
#include <QPushButton>

#include "app/AlbumLists.h"
#include "components/SettingsValues.h"
#include "lookup/LookupView.h"
#include "lookup/SearchWords.h"
#include "naming/CaseConversion.h"
#include "processing/DependenciesDialog.h"
#include "processing/ProcessingDialog.h"
#include "processing/RunRecovery.h"

namespace corvane {

namespace {

// The status list shows what went wrong while a run is finished or undone.
class StatusProblems : public ProcessingLog {
public:
    explicit StatusProblems(LookupView& view) : view_(view) {}
    void Log(const std::string&) override {}
    void LogProblem(const std::string& text) override { view_.AddStatus(text); }

private:
    LookupView& view_;
};

std::string RecoveryStatus(bool undone, int problems) {
    const std::string done = undone ? "The last run is undone" : "The last run is finished";
    if (problems <= 0) {
        return done + ".";
    }
    return done + ", but " + std::to_string(problems) +
           (undone ? " could not be put back." : " failed.");
}

}  // namespace

int RunCommands::AskInMessageBox(QWidget* parent, bool canFinish) {
    QMessageBox box(QMessageBox::Question, parent->windowTitle(),
                    QObject::tr("The last run in this folder was not finished. Finish it, or undo "
                                "what it did?"),
                    QMessageBox::NoButton, parent);
    QPushButton* finish =
        canFinish ? box.addButton(QObject::tr("Finish"), QMessageBox::AcceptRole) : nullptr;
    QPushButton* undo = box.addButton(QObject::tr("Undo"), QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == undo ? kUndoRun : box.clickedButton() == finish ? kFinishRun : 0;
}

RunCommands::RunCommands(QWidget* window, AlbumFolder& album, AlbumLists& lists, LookupView& view)
    : window_(window), album_(album), lists_(lists), view_(view) {}

RunCommands::~RunCommands() = default;

std::string RunCommands::RunProcessing(Mp3InfoObject& mp3Info, const SettingsValues& values,
                                       bool createDirectory, bool createPlaylist) {
    if (!processing_) {
        processing_ = std::make_unique<ProcessingDialog>(window_);
    }
    // Files and tracks pair by the records their rows carry, however the views are sorted.
    std::vector<int> fileRows;
    std::vector<int> trackRows;
    lists_.ViewRows(fileRows, trackRows);
    processing_->SetLists(album_.files, album_.tracks, std::move(fileRows), std::move(trackRows),
                          mp3Info);
    processing_->SetOptions(createDirectory, createPlaylist, values.moveDependencies);
    if (values.moveDependencies) {
        // The album's other files are found by the words its file names share.
        const std::string words = ConvertCase(BuildSearchWords(album_.files, 90), kCaseUpper);
        processing_->SetDependencyOptions(words, values.confirmDependencies);
    }
    DependenciesDialogChooser chooser(window_);
    DependencyMover dependencies(&chooser);
    processing_->SetDependencyStep(&dependencies);
    processing_->exec();
    processing_->SetDependencyStep(nullptr);
    view_.AddStatus(processing_->SummaryText());
    const Plan& plan = processing_->ThePlan();
    return plan.dirName.empty() ? std::string() : plan.albumFolder + plan.dirName;
}

bool RunCommands::OfferUnfinishedRun(const std::string& folder, Mp3InfoObject& mp3Info,
                                     const UnfinishedRunQuestion& ask) {
    const FoundRun run = FindRun(folder);
    if (!run.Unfinished()) {
        return false;
    }
    const int choice = ask(run.stage == RunStage::kRunning);
    if (choice != kFinishRun && choice != kUndoRun) {
        return false;
    }
    StatusProblems log(view_);
    view_.SetBusy(true);
    const int problems = choice == kUndoRun ? UndoRun(run.albumFolder, log)
                                            : ResumeRun(run.albumFolder, mp3Info, log);
    view_.SetBusy(false);
    // A refusal (another run holds the folder) was logged with its reason.
    if (problems >= 0) {
        view_.AddStatus(RecoveryStatus(choice == kUndoRun, problems));
    }
    return problems >= 0;
}

bool RunCommands::UndoLastRun() {
    const FoundRun run = FindRun(album_.folder);
    if (!run.CanUndo()) {
        view_.AddStatus("There is no run to undo in this folder.");
        return false;
    }
    StatusProblems log(view_);
    view_.SetBusy(true);
    const int problems = UndoRun(run.albumFolder, log);
    view_.SetBusy(false);
    if (problems < 0) {
        return false;
    }
    view_.AddStatus(RecoveryStatus(true, problems));
    return true;
}

}  // namespace corvane
