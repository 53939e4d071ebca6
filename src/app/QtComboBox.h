#pragma once

#include "platform/ComboBox.h"

class QComboBox;

namespace corvane {

// The combo interface of the core on a QComboBox. Changes made through it
// emit no user signal (the window reacts to QComboBox::activated only), as a
// program's own selection never counts as the user's.
class QtComboBox : public ComboBox {
public:
    explicit QtComboBox(QComboBox* box) : box_(box) {}

    std::string SelectedText() const override;
    int AddSorted(const std::string& text) override;
    int InsertLast(const std::string& text) override;
    int FindExact(const std::string& text) const override;
    int SelectPrefix(const std::string& prefix) override;
    void Delete(int index) override;
    void ClearSelection() override;
    void Clear() override;

    QComboBox* Box() const { return box_; }
    void SetBox(QComboBox* box) { box_ = box; }

private:
    std::string ItemText(int index) const;

    QComboBox* box_;
};

}  // namespace corvane
