#pragma once

#include <QDialog>
#include <string>

#include "naming/NameFormatList.h"
#include "platform/ComboBox.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class KeywordEdit;

// "File Format Editor": writes a name template with words instead of codes,
// shows the name an example track would get, and saves the template to or
// removes it from the list. The list and the main window's Name Format combo
// change at once; the caller stores the list in the settings afterwards.
class FormatEditorDialog : public QDialog {
    Q_OBJECT

public:
    FormatEditorDialog(NameFormatList& formats, ComboBox& mainFormatCombo,
                       QWidget* parent = nullptr);

    // Opens the editor on the template and runs it modally.
    int Edit(const std::string& openTemplate);
    // Fills the controls for the template without running the dialog.
    void Open(const std::string& openTemplate);

    // Shows the example name of the edited text and enables "&Save".
    void UpdatePreview();
    void OnSave();
    void OnRemove();
    void OnClose();

    const std::string& EditedTemplate() const { return editedTemplate_; }
    QComboBox* FormatCombo() const { return formatCombo_; }
    KeywordEdit* Editor() const { return edit_; }
    QLineEdit* ExampleText() const { return example_; }
    QLabel* HelpText() const { return help_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* RemoveButton() const { return remove_; }
    QPushButton* CloseButton() const { return close_; }

private:
    void FillFormatCombo();
    void SelectInFormatCombo(const std::string& displayName);
    void OnFormatSelected();
    void ShowSelected();

    NameFormatList& formats_;
    ComboBox& mainCombo_;
    std::string openTemplate_;
    std::string editedTemplate_;

    QComboBox* formatCombo_;
    QPushButton* remove_;
    QLabel* help_;
    QLineEdit* example_;
    KeywordEdit* edit_;
    QPushButton* save_;
    QPushButton* close_;
};

}  // namespace corvane
