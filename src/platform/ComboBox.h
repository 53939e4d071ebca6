#pragma once

#include <string>

namespace corvane {

// The few combo-box operations that core logic drives (name formats, CDDB
// sites). The ui implements it on a QComboBox; tests and the command line use
// MemoryComboBox.
class ComboBox {
public:
    virtual ~ComboBox() = default;

    // Text of the selected item; empty when nothing is selected.
    virtual std::string SelectedText() const = 0;
    // Adds an item at its sorted place (case-insensitive); returns its index.
    virtual int AddSorted(const std::string& text) = 0;
    // Inserts an item after the last one; returns its index.
    virtual int InsertLast(const std::string& text) = 0;
    // Index of the item equal to text ignoring case, or -1.
    virtual int FindExact(const std::string& text) const = 0;
    // Selects the first item starting with prefix ignoring case; returns its
    // index, or -1 (the selection is then cleared).
    virtual int SelectPrefix(const std::string& prefix) = 0;
    virtual void Delete(int index) = 0;
    virtual void ClearSelection() = 0;
    virtual void Clear() = 0;
};

}  // namespace corvane
