#pragma once

#include <gtest/gtest.h>

class QApplication;

namespace corvane::test {

// The one QApplication of a test executable, made on first use (offscreen unless the
// environment names another platform) and ended after the last test. Tests of plain
// arithmetic never call it.
QApplication& WidgetApp();

// Base of fixtures that hold widgets as members: the application exists before them.
class WidgetTest : public ::testing::Test {
protected:
    WidgetTest() { WidgetApp(); }
};

}  // namespace corvane::test
