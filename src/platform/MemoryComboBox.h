#pragma once

#include <string>
#include <vector>

#include "platform/ComboBox.h"

namespace corvane {

// A combo box without a window: a list of texts and a selection.
class MemoryComboBox : public ComboBox {
public:
    std::string SelectedText() const override;
    int AddSorted(const std::string& text) override;
    int InsertLast(const std::string& text) override;
    int FindExact(const std::string& text) const override;
    int SelectPrefix(const std::string& prefix) override;
    void Delete(int index) override;
    void ClearSelection() override { selected_ = -1; }
    void Clear() override;

    const std::vector<std::string>& Items() const { return items_; }
    int Selected() const { return selected_; }
    void Select(int index);

private:
    std::vector<std::string> items_;
    int selected_ = -1;
};

// Case-insensitive comparison of ASCII letters; other bytes compare as they are.
int CompareNoCase(const std::string& a, const std::string& b);
bool StartsWithNoCase(const std::string& text, const std::string& prefix);

}  // namespace corvane
