#include "app/QtComboBox.h"

#include <QComboBox>

#include "platform/MemoryComboBox.h"

namespace corvane {

namespace {
QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

std::string QtComboBox::ItemText(int index) const {
    return box_->itemText(index).toStdString();
}

std::string QtComboBox::SelectedText() const {
    const int index = box_->currentIndex();
    return index < 0 ? std::string() : ItemText(index);
}

int QtComboBox::AddSorted(const std::string& text) {
    int at = 0;
    while (at < box_->count() && CompareNoCase(ItemText(at), text) <= 0) {
        ++at;
    }
    box_->insertItem(at, ToQString(text));
    return at;
}

int QtComboBox::InsertLast(const std::string& text) {
    box_->addItem(ToQString(text));
    return box_->count() - 1;
}

int QtComboBox::FindExact(const std::string& text) const {
    for (int i = 0; i < box_->count(); ++i) {
        if (CompareNoCase(ItemText(i), text) == 0) {
            return i;
        }
    }
    return -1;
}

int QtComboBox::SelectPrefix(const std::string& prefix) {
    for (int i = 0; i < box_->count(); ++i) {
        if (StartsWithNoCase(ItemText(i), prefix)) {
            box_->setCurrentIndex(i);
            return i;
        }
    }
    ClearSelection();
    return -1;
}

void QtComboBox::Delete(int index) {
    if (index >= 0 && index < box_->count()) {
        box_->removeItem(index);
    }
}

void QtComboBox::ClearSelection() {
    box_->setCurrentIndex(-1);
}

void QtComboBox::Clear() {
    box_->clear();
}

}  // namespace corvane
