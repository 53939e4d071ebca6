#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cddb/CddbRecords.h"
#include "lookup/SearchResultsParser.h"

class QString;
class QWidget;

namespace corvane {

// The lookup's questions to the user, each a dialog over a busy window
// (the user gets the arrow while it is open). False when cancelled.

// Select Disk with the matches of a disc id.
bool AskDiscMatch(QWidget* parent, const std::vector<DiscMatch>& matches, std::size_t& chosen);
// Select Disk with ready-made lines (releases, search results).
bool AskLine(QWidget* parent, const std::vector<std::string>& lines, std::size_t& chosen);
// Select Disk with the albums a keyword search found.
bool AskSearchResult(QWidget* parent, const std::vector<SearchResult>& results,
                     std::size_t& chosen);
// Manual Search: the words to look for, starting from a proposal.
bool AskWords(QWidget* parent, const std::string& proposal, std::string& words);

// A warning over the window, with its title.
void ShowWarning(QWidget* parent, const std::string& text);
// A question with Yes and No; No is the default. True for Yes.
bool AskYesOrNo(QWidget* parent, const QString& text);

}  // namespace corvane
