#pragma once

#include <string>
#include <vector>

class QWidget;

namespace corvane::test {

// Visible controls that overlap a sibling or stick out of their container,
// looked for in the containers (dialog, panels, group boxes) under root; one
// readable line for each.
std::vector<std::string> MisplacedControls(QWidget* root);

}  // namespace corvane::test
