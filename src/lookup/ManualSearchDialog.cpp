#include "lookup/ManualSearchDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "lookup/SearchWords.h"
#include "widgets/Artwork.h"

namespace corvane {

namespace {

constexpr QSize kIconSize(32, 32);

}  // namespace

ManualSearchDialog::ManualSearchDialog(QWidget* parent)
    : QDialog(parent), edit_(new QLineEdit(this)) {
    setWindowTitle(tr("Manual Search"));
    setWindowIcon(ArtworkIcon(artwork::kAppIcon));

    auto* icon = new QLabel(this);
    icon->setPixmap(ArtworkPixmap(artwork::kSearch, kIconSize, devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* text = new QLabel(tr("Please enter here a description of the current MP3 files, like "
                               "the author or/and the title of the album."),
                            this);
    text->setWordWrap(true);
    edit_->setObjectName(QStringLiteral("searchWords"));
    edit_->setMinimumWidth(340);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText(tr("OK"));
    ok_->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(edit_, &QLineEdit::textChanged, this, &ManualSearchDialog::OnTextChanged);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    OnTextChanged(QString());
}

void ManualSearchDialog::SetInitialWords(const std::string& words) {
    edit_->setText(QString::fromStdString(words));
    // The text is checked even when it is unchanged (an empty proposal).
    OnTextChanged(edit_->text());
    PutCaretAtEnd();
}

void ManualSearchDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edit_->setFocus();
    // The focus arrives after the show and would select the text again.
    QTimer::singleShot(0, this, &ManualSearchDialog::PutCaretAtEnd);
}

void ManualSearchDialog::PutCaretAtEnd() {
    edit_->deselect();
    edit_->setCursorPosition(static_cast<int>(edit_->text().size()));
}

void ManualSearchDialog::OnTextChanged(const QString& text) {
    const std::string words = text.toStdString();
    const bool usable = SearchWordsUsable(words);
    if (usable) {
        words_ = words;
    }
    ok_->setEnabled(usable);
}

}  // namespace corvane
