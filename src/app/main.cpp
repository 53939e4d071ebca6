#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <cstring>

#include "ProgramVersion.h"
#include "app/MainDialog.h"
#include "components/ComponentLoader.h"

namespace {

// To standard output when asked for, to standard error after a mistake.
void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage: corvane-mp3 [Qt options, e.g. -platform offscreen] [FOLDER]\n"
                 "       corvane-mp3 --help | --version\n"
                 "FOLDER is opened at start instead of the folder of the last run.\n"
                 "The settings file \"Corvane Mp3.ini\" lives in the folder the program is\n"
                 "started from; corvane-mp3-launcher (the menu entry) starts it in\n"
                 "$XDG_CONFIG_HOME/corvane-mp3 (~/.config/corvane-mp3).\n");
}

// --help and --version are answered before Qt starts, so they need no display.
// Returns the exit code, or -1 to go on.
int AnswerInformationOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintUsage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("corvane-mp3 %s\n", corvane::kProgramVersion);
            return 0;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int code = AnswerInformationOptions(argc, argv); code >= 0) {
        return code;
    }
    QApplication app(argc, argv);
    // Qt has taken its own options out; what is left is at most the folder to open.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 2 || (arguments.size() == 2 && arguments.at(1).startsWith('-'))) {
        std::fprintf(stderr, "corvane-mp3: unknown option %s\n", qPrintable(arguments.at(1)));
        PrintUsage(stderr);
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Corvane MP3"));
    QApplication::setApplicationVersion(QString::fromLatin1(corvane::kProgramVersion));

    corvane::ComponentLoader loader;
    corvane::MainDialog window(loader);
    if (!window.HasSettings()) {
        // Without its settings the program cannot start; this is no error
        // of the run itself, so the exit code stays 0.
        const std::string& text = window.LoadError();
        if (!text.empty()) {
            QMessageBox::critical(nullptr, QStringLiteral("Corvane MP3"),
                                  QString::fromUtf8(text.data(), qsizetype(text.size())));
        }
        return 0;
    }
    if (arguments.size() == 2) {
        // Relative to the folder the program was started from, before anything changes it.
        window.SetStartFolder(QFileInfo(arguments.at(1)).absoluteFilePath().toStdString());
    }
    if (!window.Initialize()) {
        return 0;
    }
    window.exec();
    return 0;
}
