#include "naming/FormatEditorDialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "naming/FormatPreview.h"
#include "naming/KeywordEdit.h"
#include "naming/NameFormat.h"
#include "platform/MemoryComboBox.h"

namespace corvane {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

constexpr const char* kEditorKeywords =
    " Title Track Album Artist Comments Year Genre Length Bitrate ";
// The display names' spelling of the comment keyword, coloured and re-cased
// too, since it reads back as the keyword as well.
constexpr const char* kDisplayOnlyKeywords = " Comment ";
constexpr const char* kCompletionWords[] = {"Track", "Title", "Album",  "Artist", "Comments",
                                            "Year",  "Genre", "Length", "Bitrate"};

}  // namespace

FormatEditorDialog::FormatEditorDialog(NameFormatList& formats, ComboBox& mainFormatCombo,
                                       QWidget* parent)
    : QDialog(parent),
      formats_(formats),
      mainCombo_(mainFormatCombo),
      formatCombo_(new QComboBox(this)),
      remove_(new QPushButton(tr("&Remove"), this)),
      help_(new QLabel(tr("You can compose your filename by writing down the following "
                          "keywords: Title, Album, Artist, Track, Comments, Year, Genre, "
                          "Length, Bitrate"),
                       this)),
      example_(new QLineEdit(this)),
      edit_(new KeywordEdit(this)),
      save_(new QPushButton(tr("&Save"), this)),
      close_(new QPushButton(tr("&Close"), this)) {
    setWindowTitle(tr("File Format Editor"));
    help_->setAlignment(Qt::AlignCenter);
    help_->setWordWrap(true);
    example_->setReadOnly(true);
    save_->setDefault(true);
    edit_->setMinimumWidth(360);

    edit_->SetCaseSensitive(false);
    edit_->SetRecase(true);
    edit_->SetStringDelimiters(QStringLiteral("\""));
    edit_->SetCommentChars(QLatin1Char('/'), QLatin1Char('/'));
    edit_->SetKeywords(QString::fromLatin1(kEditorKeywords));
    edit_->SetKeywords(QString::fromLatin1(kDisplayOnlyKeywords));
    for (const char* word : kCompletionWords) {
        edit_->AddCompletionWord(QString::fromLatin1(word));
    }

    auto* top = new QHBoxLayout;
    top->addWidget(formatCombo_, 1);
    top->addWidget(remove_);
    auto* exampleRow = new QHBoxLayout;
    exampleRow->addWidget(new QLabel(tr("Example:"), this));
    exampleRow->addWidget(example_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(help_);
    layout->addWidget(edit_);
    layout->addLayout(exampleRow);
    layout->addLayout(buttons);

    connect(formatCombo_, &QComboBox::activated, this, &FormatEditorDialog::OnFormatSelected);
    connect(edit_, &KeywordEdit::TextEdited, this, &FormatEditorDialog::UpdatePreview);
    connect(save_, &QPushButton::clicked, this, &FormatEditorDialog::OnSave);
    connect(remove_, &QPushButton::clicked, this, &FormatEditorDialog::OnRemove);
    connect(close_, &QPushButton::clicked, this, &FormatEditorDialog::OnClose);
}

int FormatEditorDialog::Edit(const std::string& openTemplate) {
    Open(openTemplate);
    return exec();
}

void FormatEditorDialog::Open(const std::string& openTemplate) {
    openTemplate_ = openTemplate;
    FillFormatCombo();
    SelectInFormatCombo(ToDisplayName(openTemplate_));
    ShowSelected();
    edit_->setFocus();
}

void FormatEditorDialog::FillFormatCombo() {
    std::vector<std::string> names;
    for (const NameFormatEntry& entry : formats_.Entries()) {
        names.push_back(entry.displayName);
    }
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return CompareNoCase(a, b) < 0;
    });
    formatCombo_->clear();
    for (const std::string& name : names) {
        formatCombo_->addItem(FromUtf8(name));
    }
}

void FormatEditorDialog::SelectInFormatCombo(const std::string& displayName) {
    for (int i = 0; i < formatCombo_->count(); ++i) {
        if (StartsWithNoCase(ToUtf8(formatCombo_->itemText(i)), displayName)) {
            formatCombo_->setCurrentIndex(i);
            return;
        }
    }
    formatCombo_->setCurrentIndex(-1);
}

void FormatEditorDialog::OnFormatSelected() {
    ShowSelected();
}

// The selected template in the edit, its example, and the buttons for it.
void FormatEditorDialog::ShowSelected() {
    const std::string name = ToUtf8(formatCombo_->currentText());
    edit_->SetText(FromUtf8(EditorText(name)));
    UpdatePreview();
    remove_->setEnabled(!name.empty() && !IsPresetNameFormat(formats_.TemplateForName(name)));
    save_->setEnabled(false);
}

void FormatEditorDialog::UpdatePreview() {
    editedTemplate_ = FromDisplayName(ToUtf8(edit_->Text()));
    example_->setText(FromUtf8(PreviewFileName(editedTemplate_)));
    example_->setCursorPosition(0);  // a long name shows its start
    save_->setEnabled(true);
}

void FormatEditorDialog::OnSave() {
    const std::string templateText = editedTemplate_;
    if (templateText.size() < 2 || templateText.find('%') == std::string::npos) {
        return;
    }
    const std::string name = ToDisplayName(templateText);
    formats_.AddNameFormat(name, templateText);
    FillFormatCombo();
    SelectInFormatCombo(name);
    mainCombo_.SelectPrefix(name);
    remove_->setEnabled(!IsPresetNameFormat(templateText));
    save_->setEnabled(false);
}

void FormatEditorDialog::OnRemove() {
    const int index = formatCombo_->currentIndex();
    const std::string name = ToUtf8(formatCombo_->currentText());
    if (name.size() < 2 || IsPresetNameFormat(formats_.TemplateForName(name))) {
        return;
    }
    formats_.RemoveNameFormat(name);
    formatCombo_->removeItem(index);
    editedTemplate_.clear();
    formatCombo_->setCurrentIndex(index != 0 ? 0 : (formatCombo_->count() > 1 ? 1 : -1));
    ShowSelected();
}

void FormatEditorDialog::OnClose() {
    if (formatCombo_->currentIndex() <= 0) {
        mainCombo_.SelectPrefix(std::string());
    } else {
        mainCombo_.SelectPrefix(ToUtf8(formatCombo_->currentText()));
    }
    accept();
}

}  // namespace corvane
