#include <QApplication>
#include <QLabel>

// Placeholder until the main window lands: shows that the Qt layer builds.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Corvane MP3"));
    label.show();
    return app.exec();
}
