#pragma once

#include <QDialog>
#include <string>

#include "processing/Dependencies.h"

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace corvane {

// Lets the user pick which of the album folder's other files move into the
// album directory: a sorted list with a check box on each line. The checks
// go back into the list when the dialog closes, by OK or by Cancel.
class DependenciesDialog : public QDialog {
    Q_OBJECT

public:
    explicit DependenciesDialog(DependencyList& list, QWidget* parent = nullptr);

    void SetDirectoryName(const std::string& dirName);

    QListWidget* List() const { return list_; }
    QLabel* DirectoryText() const { return directoryText_; }

    void done(int result) override;

private:
    void UpdateTitle();
    void OnPressed(QListWidgetItem* item);
    void OnClicked(QListWidgetItem* item);

    DependencyList& entries_;
    QLabel* directoryText_;
    QListWidget* list_;
    Qt::CheckState pressedState_ = Qt::Unchecked;
};

// The dialog as the dependencies step asks for it.
class DependenciesDialogChooser : public DependencyChooser {
public:
    explicit DependenciesDialogChooser(QWidget* parent) : parent_(parent) {}
    bool ChooseDependencies(DependencyList& list, const std::string& dirName) override;

private:
    QWidget* parent_;
};

// "No dependencies found", "1 Dependency found", "3 Dependencies found".
QString DependenciesTitle(int checked);

}  // namespace corvane
