#include "widgets/FolderPathBox.h"

#include <QCompleter>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <algorithm>

namespace corvane {

namespace {

QString FromBytes(const std::string& path) {
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

}  // namespace

FolderPathBox::FolderPathBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    lineEdit()->setPlaceholderText(tr("Type or paste a folder"));
    setToolTip(
        tr("A folder to open: type or paste its path and press Enter, or pick a recent "
           "one"));
    auto* folders = new QFileSystemModel(this);
    folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders->setRootPath(QString());
    auto* completer = new QCompleter(folders, this);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    setCompleter(completer);
    connect(lineEdit(), &QLineEdit::returnPressed, this, [this] { Choose(currentText()); });
    connect(this, &QComboBox::activated, this, [this](int index) { Choose(itemText(index)); });
}

void FolderPathBox::ShowPath(const std::string& path) {
    const QSignalBlocker quiet(this);
    setEditText(FromBytes(path));
    lineEdit()->setCursorPosition(0);
}

void FolderPathBox::SetRecentFolders(const std::vector<std::string>& folders) {
    const QSignalBlocker quiet(this);
    const QString shown = currentText();
    clear();
    for (const std::string& folder : folders) {
        addItem(FromBytes(folder));
    }
    setEditText(shown);
}

void FolderPathBox::Choose(const QString& text) {
    QString path = text.trimmed();
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/"))) {
        path = QDir::homePath() + path.mid(1);
    }
    if (!path.isEmpty()) {
        emit folderChosen(path.toStdString());
    }
}

std::vector<std::string> WithRecentFolder(std::vector<std::string> recent,
                                          const std::string& folder, std::size_t limit) {
    std::erase(recent, folder);
    recent.insert(recent.begin(), folder);
    if (recent.size() > limit) {
        recent.resize(limit);
    }
    return recent;
}

}  // namespace corvane
