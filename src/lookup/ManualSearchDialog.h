#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;

namespace corvane {

// "Manual Search": the user describes the album (its artist, its title, or
// both) in one line of words for the keyword search.
class ManualSearchDialog : public QDialog {
    Q_OBJECT

public:
    explicit ManualSearchDialog(QWidget* parent = nullptr);

    // The proposal shown at opening, caret at its end.
    void SetInitialWords(const std::string& words);
    // The last text that could be searched for (OK was enabled with it).
    const std::string& Words() const { return words_; }

    QLineEdit* WordsEdit() const { return edit_; }
    QPushButton* OkButton() const { return ok_; }

protected:
    // Focus on showing selects the whole text; the caret goes to its end.
    void showEvent(QShowEvent* event) override;

private:
    void PutCaretAtEnd();
    void OnTextChanged(const QString& text);

    QLineEdit* edit_;
    QPushButton* ok_;
    std::string words_;
};

}  // namespace corvane
