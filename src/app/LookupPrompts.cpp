#include "app/LookupPrompts.h"

#include <QApplication>
#include <QMessageBox>

#include "lookup/ManualSearchDialog.h"
#include "lookup/SelectDiskDialog.h"

namespace corvane {

namespace {

// Runs a dialog with the arrow cursor over the busy one; true on OK.
bool RunWithArrow(QDialog& dialog) {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    QApplication::restoreOverrideCursor();
    return accepted;
}

bool ChooseLine(SelectDiskDialog& dialog, std::size_t& chosen) {
    if (!RunWithArrow(dialog)) {
        return false;
    }
    chosen = static_cast<std::size_t>(dialog.SelectedData());
    return true;
}

}  // namespace

bool AskDiscMatch(QWidget* parent, const std::vector<DiscMatch>& matches, std::size_t& chosen) {
    SelectDiskDialog dialog(parent);
    dialog.SetMatches(matches);
    return ChooseLine(dialog, chosen);
}

bool AskLine(QWidget* parent, const std::vector<std::string>& lines, std::size_t& chosen) {
    SelectDiskDialog dialog(parent);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        dialog.AddLine(lines[i], static_cast<qint64>(i));
    }
    return ChooseLine(dialog, chosen);
}

bool AskSearchResult(QWidget* parent, const std::vector<SearchResult>& results,
                     std::size_t& chosen) {
    SelectDiskDialog dialog(parent);
    dialog.SetSearchResults(results);
    return ChooseLine(dialog, chosen);
}

bool AskWords(QWidget* parent, const std::string& proposal, std::string& words) {
    ManualSearchDialog dialog(parent);
    dialog.SetInitialWords(proposal);
    if (!RunWithArrow(dialog)) {
        return false;
    }
    words = dialog.Words();
    return true;
}

void ShowWarning(QWidget* parent, const std::string& text) {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox::warning(parent, parent->windowTitle(), QString::fromStdString(text));
    QApplication::restoreOverrideCursor();
}

bool AskYesOrNo(QWidget* parent, const QString& text) {
    return QMessageBox::warning(parent, parent->windowTitle(), text,
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace corvane
