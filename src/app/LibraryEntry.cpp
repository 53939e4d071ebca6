#include "app/LibraryEntry.h"

#include <QDir>
#include <QFileDialog>

#include "components/ComponentLoader.h"
#include "library/LibraryWindow.h"

namespace corvane {

void OpenLibrary(QWidget* parent, const std::string& near, const SettingsValues& settings,
                 ComponentLoader& loader, std::function<void(const std::string&)> openAlbum) {
    const QString start = near.empty() ? QDir::homePath() : QString::fromStdString(near);
    const QString root = QFileDialog::getExistingDirectory(
        parent, QObject::tr("The music folder to put in order"), start);
    if (root.isEmpty()) {
        return;
    }
    // Each run thread gets a component of its own; the window lives beside the main one.
    auto* window = new LibraryWindow(
        root.toStdString(), settings, [&loader] { return loader.LoadMp3Info(); },
        std::move(openAlbum), parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

}  // namespace corvane
