#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cddb/CddbRecords.h"

namespace corvane {

// The user's choice among several albums offered by a query (the Select Disk
// dialog in the window).
class DiscChooser {
public:
    virtual ~DiscChooser() = default;
    // True with chosen = an index into matches; false when the user cancelled.
    virtual bool ChooseDisc(const std::vector<DiscMatch>& matches, std::size_t& chosen) = 0;
};

// Shows a failure the user must acknowledge (a message box in the window).
class ErrorNotifier {
public:
    virtual ~ErrorNotifier() = default;
    virtual void ShowError(const std::string& text) = 0;
};

}  // namespace corvane
