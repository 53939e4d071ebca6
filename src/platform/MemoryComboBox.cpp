#include "platform/MemoryComboBox.h"

#include <algorithm>
#include <cctype>

namespace corvane {

namespace {

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

}  // namespace

int CompareNoCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = FoldAscii(static_cast<unsigned char>(a[i]));
        const unsigned char cb = FoldAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

std::string MemoryComboBox::SelectedText() const {
    return selected_ >= 0 ? items_[static_cast<size_t>(selected_)] : std::string();
}

int MemoryComboBox::AddSorted(const std::string& text) {
    auto at = std::find_if(items_.begin(), items_.end(),
                           [&](const std::string& item) { return CompareNoCase(text, item) < 0; });
    const int index = static_cast<int>(at - items_.begin());
    items_.insert(at, text);
    if (selected_ >= index) {
        ++selected_;
    }
    return index;
}

int MemoryComboBox::InsertLast(const std::string& text) {
    items_.push_back(text);
    return static_cast<int>(items_.size()) - 1;
}

int MemoryComboBox::FindExact(const std::string& text) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (CompareNoCase(items_[i], text) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int MemoryComboBox::SelectPrefix(const std::string& prefix) {
    selected_ = -1;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (StartsWithNoCase(items_[i], prefix)) {
            selected_ = static_cast<int>(i);
            break;
        }
    }
    return selected_;
}

void MemoryComboBox::Delete(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size())) {
        return;
    }
    items_.erase(items_.begin() + index);
    if (selected_ == index) {
        selected_ = -1;
    } else if (selected_ > index) {
        --selected_;
    }
}

void MemoryComboBox::Clear() {
    items_.clear();
    selected_ = -1;
}

void MemoryComboBox::Select(int index) {
    selected_ = (index >= 0 && index < static_cast<int>(items_.size())) ? index : -1;
}

}  // namespace corvane
