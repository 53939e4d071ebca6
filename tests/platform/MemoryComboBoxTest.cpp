#include <gtest/gtest.h>

#include "platform/MemoryComboBox.h"

using corvane::MemoryComboBox;

TEST(MemoryComboBox, AddsSortedIgnoringCaseAndKeepsSelection) {
    MemoryComboBox combo;
    combo.AddSorted("beta");
    combo.InsertLast(" More...");
    combo.Select(0);
    EXPECT_EQ(combo.AddSorted("Alpha"), 0);
    EXPECT_EQ(combo.SelectedText(), "beta");
    EXPECT_EQ(combo.FindExact("ALPHA"), 0);
    EXPECT_EQ(combo.FindExact("gamma"), -1);
}

TEST(MemoryComboBox, PrefixSelectionAndDeletion) {
    MemoryComboBox combo;
    combo.InsertLast("gnudb.gnudb.org, 80");
    combo.InsertLast("other.example, 80");
    EXPECT_EQ(combo.SelectPrefix("GNUDB"), 0);
    combo.Delete(0);
    EXPECT_EQ(combo.Selected(), -1);
    EXPECT_EQ(combo.SelectPrefix("nothing"), -1);
    EXPECT_EQ(combo.SelectedText(), "");
}
