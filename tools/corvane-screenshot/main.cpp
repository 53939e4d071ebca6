// corvane-screenshot: draws the main window offscreen into a PNG, with the
// album of the settings' remembered folder loaded and looked up; on request
// also the File Format Editor with a coloured template and the dependencies
// dialog of the album folder and the association dialog of its files and tracks. It runs
// where the "Corvane Mp3.ini" to use lies, as the program does; the
// plug-ins come from its own folder. tools/screenshot sets all this up.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/MainDialog.h"
#include "app/MainForm.h"
#include "association/AssociationDialog.h"
#include "association/ListBoxExCtrl.h"
#include "components/ComponentLoader.h"
#include "lookup/SearchWords.h"
#include "naming/CaseConversion.h"
#include "naming/FormatEditorDialog.h"
#include "naming/KeywordEdit.h"
#include "platform/MemoryComboBox.h"
#include "processing/DependenciesDialog.h"
#include "processing/ProcessingPipeline.h"
#include "widgets/SortListCtrl.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: corvane-screenshot OUTPUT.png [--no-query] [--tag-action] [--select ROW] "
                 "[--size WIDTHxHEIGHT]\n"
                 "                          [--editor EDITOR.png] [--dependencies DIALOG.png]\n"
                 "                          [--association DIALOG.png]\n");
    return 2;
}

// Lets the window lay itself out and paint, timers included.
void Settle(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

bool Save(QWidget& widget, const std::string& output) {
    widget.show();
    Settle(300);
    const QPixmap shot = widget.grab();
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(output.c_str()), "PNG")) {
        std::fprintf(stderr, "corvane-screenshot: cannot write %s\n", output.c_str());
        return false;
    }
    std::printf("corvane-screenshot: %s, %dx%d\n", output.c_str(), shot.width(), shot.height());
    return true;
}

// The editor on the settings' templates, writing one that shows every colour.
bool ShootEditor(corvane::MainDialog& window, const std::string& output) {
    corvane::MemoryComboBox combo;
    corvane::NameFormatList formats;
    formats.SetFormatCombo(&combo);
    formats.LoadNameFormats(window.Settings()->values);
    corvane::FormatEditorDialog editor(formats, combo, &window);
    editor.Open(window.Settings()->values.nameFormat);
    editor.Editor()->SetText(QStringLiteral("artist - Track - title \"live\" 1964 // rips"));
    return Save(editor, output);
}

// The dialog the processing shows for the album folder's other files.
bool ShootDependencies(corvane::MainDialog& window, const std::string& output) {
    corvane::AlbumFolder& album = window.Album();
    const corvane::TrackInfo first = album.tracks.empty() ? corvane::TrackInfo() : album.tracks[0];
    corvane::DependencyList list;
    corvane::ListDependencies(
        album.folder + "/", first.album,
        corvane::ConvertCase(corvane::BuildSearchWords(album.files, 90), corvane::kCaseUpper),
        list);
    corvane::DependenciesDialog dialog(list, &window);
    dialog.SetDirectoryName(corvane::AlbumDirectoryName(first));
    return Save(dialog, output);
}

// The association dialog after "&Auto", with the first file moved down a row. The window's
// own lists stay as they are: the dialog is not accepted.
bool ShootAssociation(corvane::MainDialog& window, const std::string& output) {
    corvane::AssociationDialog dialog(&window);
    dialog.SetSources(window.Album().files, window.Album().tracks, window.FileList(),
                      window.DatabaseList());
    dialog.Prepare();
    dialog.AutoButton()->click();
    dialog.FileListBox()->MoveDown(0);
    return Save(dialog, output);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    std::string output;
    bool query = true;
    int selectRow = 0;
    bool tagAction = false;
    // The window's first size, whatever the offscreen screen measures.
    int width = 1060;
    int height = 700;
    std::string editorOutput;
    std::string dependenciesOutput;
    std::string associationOutput;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--no-query") {
            query = false;
        } else if (argument == "--tag-action") {
            tagAction = true;
        } else if (argument == "--select" && i + 1 < argc) {
            selectRow = std::atoi(argv[++i]);
        } else if (argument == "--editor" && i + 1 < argc) {
            editorOutput = argv[++i];
        } else if (argument == "--dependencies" && i + 1 < argc) {
            dependenciesOutput = argv[++i];
        } else if (argument == "--association" && i + 1 < argc) {
            associationOutput = argv[++i];
        } else if (argument == "--size" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 100 ||
                height < 100) {
                return Usage();
            }
        } else if (argument.rfind("--", 0) != 0 && output.empty()) {
            output = argument;
        } else {
            return Usage();
        }
    }
    if (output.empty()) {
        return Usage();
    }

    corvane::ComponentLoader loader;
    corvane::MainDialog window(loader);
    if (!window.HasSettings() || !window.Initialize()) {
        std::fprintf(stderr, "corvane-screenshot: %s\n", window.LoadError().c_str());
        return 1;
    }
    window.resize(width, height);
    window.show();
    Settle(300);
    if (query) {
        window.QueryCommand();
    }
    if (tagAction) {
        window.Form().actionCombo->setCurrentIndex(1);  // "ID3 Tag Files"
    }
    // A selected row shows its tag fields and its partner row.
    QTreeWidget* files = window.FileList();
    if (selectRow >= 0 && selectRow < files->topLevelItemCount()) {
        files->setCurrentItem(files->topLevelItem(selectRow));
    }
    Settle(300);

    const QPixmap shot = window.grab();
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(output.c_str()), "PNG")) {
        std::fprintf(stderr, "corvane-screenshot: cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("corvane-screenshot: %s, %dx%d\n", output.c_str(), shot.width(), shot.height());
    if (!editorOutput.empty() && !ShootEditor(window, editorOutput)) {
        return 1;
    }
    if (!dependenciesOutput.empty() && !ShootDependencies(window, dependenciesOutput)) {
        return 1;
    }
    if (!associationOutput.empty() && !ShootAssociation(window, associationOutput)) {
        return 1;
    }
    return 0;
}
