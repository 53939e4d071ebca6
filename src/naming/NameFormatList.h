#pragma once

#include <string>
#include <vector>

#include "album/TrackInfo.h"
#include "components/SettingsValues.h"
#include "platform/ComboBox.h"

namespace corvane {

// One named template. The display name is the template with its keywords
// written as words; it is what the combo boxes show and the key of the entry.
struct NameFormatEntry {
    std::string displayName;
    std::string templateText;
};

// The list of name templates and the naming operations that depend on the
// main window's Name Format and Convert Case combo boxes. The combos are not
// owned; without them the default template and no case change apply.
class NameFormatList {
public:
    void SetFormatCombo(ComboBox* combo) { formatCombo_ = combo; }
    void SetCaseCombo(ComboBox* combo) { caseCombo_ = combo; }

    // The template of the entry with exactly this display name, else the
    // default template.
    std::string TemplateForName(const std::string& displayName) const;
    // The template selected in the Name Format combo; the default template
    // when nothing (or " More...") is selected.
    std::string CurrentTemplate() const;

    // Appends an entry unless its display name exists already, and adds it to
    // the combo, selected, with " More..." kept last.
    void AddNameFormat(const std::string& displayName, const std::string& templateText);
    // Removes the entry and its combo item; the combo is left without a
    // selection.
    void RemoveNameFormat(const std::string& displayName);
    void ClearNameFormats();

    void LoadNameFormats(const SettingsValues& settings);
    void StoreNameFormats(SettingsValues& settings) const;

    std::string BuildFileName(const TrackInfo& record) const;
    // NamePairedTracks with the selected template and case mode: each track
    // named for the file it is paired with (fileRows[k] with trackRows[k]).
    void NamePairedTracks(TrackList& tracks, const TrackList& files,
                          const std::vector<int>& fileRows,
                          const std::vector<int>& trackRows) const;
    std::string ConvertCase(const std::string& text) const;

    const std::vector<NameFormatEntry>& Entries() const { return entries_; }

private:
    const NameFormatEntry* Find(const std::string& displayName) const;

    std::vector<NameFormatEntry> entries_;
    ComboBox* formatCombo_ = nullptr;
    ComboBox* caseCombo_ = nullptr;
};

// The last item of the Name Format combo; it opens the template editor.
inline constexpr const char* kMoreFormatsItem = " More...";

}  // namespace corvane
