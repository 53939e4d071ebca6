#pragma once

#include <functional>
#include <memory>
#include <string>

#include "album/AlbumFolder.h"

class QWidget;

namespace corvane {

class AlbumLists;
class LookupView;
class Mp3InfoObject;
class ProcessingDialog;
struct SettingsValues;

// The runs of the window: the processing of the paired files, and a run the
// folder's journal tells was not finished (finish or undo it), and the undo
// of the last run.
class RunCommands {
public:
    // Answers to the question about a run that was not finished.
    static constexpr int kFinishRun = 1;
    static constexpr int kUndoRun = 2;
    // Asks the user what to do with an unfinished run: kFinishRun (offered
    // only when it can be finished), kUndoRun or 0 to leave it.
    using UnfinishedRunQuestion = std::function<int(bool canFinish)>;

    // The question in a message box with Finish, Undo and Cancel.
    static int AskInMessageBox(QWidget* parent, bool canFinish);

    RunCommands(QWidget* window, AlbumFolder& album, AlbumLists& lists, LookupView& view);
    ~RunCommands();

    // The run with the processing dialog; returns the album directory it made, if any.
    std::string RunProcessing(Mp3InfoObject& mp3Info, const SettingsValues& values,
                              bool createDirectory, bool createPlaylist);
    // True when the run of the folder's journal was finished or undone.
    bool OfferUnfinishedRun(const std::string& folder, Mp3InfoObject& mp3Info,
                            const UnfinishedRunQuestion& ask);
    // False when there was no run to undo.
    bool UndoLastRun();

private:
    QWidget* window_;
    AlbumFolder& album_;
    AlbumLists& lists_;
    LookupView& view_;
    std::unique_ptr<ProcessingDialog> processing_;
};

}  // namespace corvane
