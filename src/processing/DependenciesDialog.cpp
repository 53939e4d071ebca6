#include "processing/DependenciesDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

constexpr int kEntryRole = Qt::UserRole + 1;

// The lines sort regardless of case, as users read them.
class EntryItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem& other) const override {
        const int folded = text().compare(other.text(), Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : text() < other.text();
    }
};

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString DependenciesTitle(int checked) {
    if (checked == 0) {
        return QStringLiteral("No dependencies found");
    }
    if (checked == 1) {
        return QStringLiteral("1 Dependency found");
    }
    return QStringLiteral("%1 Dependencies found").arg(checked);
}

DependenciesDialog::DependenciesDialog(DependencyList& list, QWidget* parent)
    : QDialog(parent),
      entries_(list),
      directoryText_(new QLabel(this)),
      list_(new QListWidget(this)) {
    directoryText_->setAlignment(Qt::AlignCenter);
    directoryText_->setWordWrap(true);
    // A line is checked or not; a highlighted line would say nothing more.
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setSortingEnabled(true);
    list_->setMinimumSize(320, 140);
    for (std::size_t i = 0; i < entries_.EntryCount(); ++i) {
        const DependencyEntry& entry = entries_.Entries()[i];
        auto* item = new EntryItem(FromUtf8(entry.name));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.checked ? Qt::Checked : Qt::Unchecked);
        item->setData(kEntryRole, static_cast<qulonglong>(i));
        list_->addItem(item);
    }
    auto* hint = new QLabel(tr("Press OK to move the selected files, or cancel if you don't want "
                               "to move any dependencies."),
                            this);
    hint->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    buttons->setCenterButtons(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(directoryText_);
    layout->addWidget(list_, 1);
    layout->addWidget(hint);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemPressed, this, &DependenciesDialog::OnPressed);
    connect(list_, &QListWidget::itemClicked, this, &DependenciesDialog::OnClicked);
    connect(list_, &QListWidget::itemChanged, this, &DependenciesDialog::UpdateTitle);
    SetDirectoryName(std::string());
    UpdateTitle();
}

void DependenciesDialog::SetDirectoryName(const std::string& dirName) {
    directoryText_->setText(
        tr("Please select on the list the files you want to move in the %1 directory.")
            .arg(FromUtf8(dirName)));
}

void DependenciesDialog::UpdateTitle() {
    int checked = 0;
    for (int row = 0; row < list_->count(); ++row) {
        checked += list_->item(row)->checkState() == Qt::Checked ? 1 : 0;
    }
    setWindowTitle(DependenciesTitle(checked));
}

// A click on the name toggles the line as a click on its box does.
void DependenciesDialog::OnPressed(QListWidgetItem* item) {
    pressedState_ = item->checkState();
}

void DependenciesDialog::OnClicked(QListWidgetItem* item) {
    if (item->checkState() == pressedState_) {
        item->setCheckState(pressedState_ == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

void DependenciesDialog::done(int result) {
    for (int row = 0; row < list_->count(); ++row) {
        const QListWidgetItem* item = list_->item(row);
        const auto index = item->data(kEntryRole).toULongLong();
        entries_.Entries()[index].checked = item->checkState() == Qt::Checked;
    }
    QDialog::done(result);
}

bool DependenciesDialogChooser::ChooseDependencies(DependencyList& list,
                                                   const std::string& dirName) {
    DependenciesDialog dialog(list, parent_);
    dialog.SetDirectoryName(dirName);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace corvane
