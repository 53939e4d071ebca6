#pragma once

#include <string>
#include <vector>

#include "cddb/CddbRecords.h"
#include "lookup/SearchResultsParser.h"
#include "widgets/ResizableDialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace corvane {

// "Select Disk": the user picks one of several albums. The lines are sorted,
// so each carries its candidate as item data. Cancel, the close box and Esc
// cancel. The dialog opens wide enough for its longest line, within the screen.
class SelectDiskDialog : public ResizableDialog {
    Q_OBJECT

public:
    explicit SelectDiskDialog(QWidget* parent = nullptr);

    // One line per match, "artist / title - [discid]", with its index; the
    // category follows the title ("artist / title (rock) - [discid]") where
    // another match has the same disc id.
    void SetMatches(const std::vector<DiscMatch>& matches);
    // The same for the albums of a keyword search: "title - [discid]".
    void SetSearchResults(const std::vector<SearchResult>& results);
    // Adds one candidate line at its sorted place.
    void AddLine(const std::string& text, qint64 data);

    // The chosen line's item data after OK; 0 before a choice.
    qint64 SelectedData() const { return selectedData_; }
    int WidestLine() const { return widestLine_; }

    QListWidget* List() const { return list_; }
    QLineEdit* ChosenEdit() const { return chosen_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QLabel* InstructionLabel() const { return instruction_; }

    // "artist / title - [id]" shown as "artist / title".
    static QString ShownText(const QString& line);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnSelectionChanged();
    void OnDoubleClicked(QListWidgetItem* item);

    QListWidget* list_;
    QLineEdit* chosen_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QLabel* instruction_;
    qint64 selectedData_ = 0;
    int widestLine_ = 0;
};

// "%s / %s - [%08x]": the line of one match, with " (category)" before the
// id when asked.
std::string DiscMatchLine(const DiscMatch& match, bool withCategory = false);

}  // namespace corvane
