#include <QApplication>
#include <QMessageBox>

#include "components/ComponentLoader.h"
#include "app/MainDialog.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane MP3"));
    QApplication::setApplicationVersion(QStringLiteral("2.00"));

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
    if (!window.Initialize()) {
        return 0;
    }
    window.exec();
    return 0;
}
