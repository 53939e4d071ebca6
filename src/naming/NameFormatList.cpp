#include "naming/NameFormatList.h"

#include <algorithm>

#include "naming/CaseConversion.h"
#include "naming/NameFormat.h"

namespace corvane {

const NameFormatEntry* NameFormatList::Find(const std::string& displayName) const {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const NameFormatEntry& e) {
        return e.displayName == displayName;
    });
    return it == entries_.end() ? nullptr : &*it;
}

std::string NameFormatList::TemplateForName(const std::string& displayName) const {
    const NameFormatEntry* entry = Find(displayName);
    return entry != nullptr ? entry->templateText : kDefaultNameFormat;
}

std::string NameFormatList::CurrentTemplate() const {
    const std::string selected = formatCombo_ != nullptr ? formatCombo_->SelectedText() : "";
    std::string templateText = TemplateForName(selected);
    // An entry whose template is too short to hold a keyword is no template.
    return templateText.size() < 2 ? kDefaultNameFormat : templateText;
}

void NameFormatList::AddNameFormat(const std::string& displayName,
                                   const std::string& templateText) {
    if (Find(displayName) != nullptr) {
        return;
    }
    entries_.push_back({displayName, templateText});
    if (formatCombo_ == nullptr) {
        return;
    }
    formatCombo_->AddSorted(displayName);
    formatCombo_->SelectPrefix(displayName);
    const int more = formatCombo_->FindExact(kMoreFormatsItem);
    if (more >= 0) {
        formatCombo_->Delete(more);
    }
    formatCombo_->InsertLast(kMoreFormatsItem);
}

void NameFormatList::RemoveNameFormat(const std::string& displayName) {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const NameFormatEntry& e) {
        return e.displayName == displayName;
    });
    if (it == entries_.end()) {
        return;
    }
    entries_.erase(it);
    if (formatCombo_ != nullptr) {
        const int item = formatCombo_->FindExact(displayName);
        if (item >= 0) {
            formatCombo_->Delete(item);
        }
        formatCombo_->ClearSelection();
    }
}

void NameFormatList::ClearNameFormats() {
    entries_.clear();
    if (formatCombo_ != nullptr) {
        formatCombo_->ClearSelection();
        formatCombo_->Clear();
    }
}

void NameFormatList::LoadNameFormats(const SettingsValues& settings) {
    for (const std::string& templateText : settings.userFormats) {
        AddNameFormat(ToDisplayName(templateText), templateText);
    }
    if (formatCombo_ == nullptr) {
        return;
    }
    // A remembered template that is gone keeps the last added one selected.
    const std::string lastAdded = formatCombo_->SelectedText();
    if (formatCombo_->SelectPrefix(ToDisplayName(settings.nameFormat)) < 0 && !lastAdded.empty()) {
        formatCombo_->SelectPrefix(lastAdded);
    }
}

void NameFormatList::StoreNameFormats(SettingsValues& settings) const {
    settings.userFormats.clear();
    for (const NameFormatEntry& entry : entries_) {
        settings.userFormats.push_back(entry.templateText);
    }
}

std::string NameFormatList::ConvertCase(const std::string& text) const {
    return corvane::ConvertCase(text, caseCombo_ != nullptr ? caseCombo_->SelectedText() : "");
}

std::string NameFormatList::BuildFileName(const TrackInfo& record) const {
    return corvane::BuildFileName(record, CurrentTemplate(),
                                  caseCombo_ != nullptr ? caseCombo_->SelectedText() : "");
}

void NameFormatList::NamePairedTracks(TrackList& tracks, const TrackList& files,
                                      const std::vector<int>& fileRows,
                                      const std::vector<int>& trackRows) const {
    corvane::NamePairedTracks(tracks, files, fileRows, trackRows, CurrentTemplate(),
                              caseCombo_ != nullptr ? caseCombo_->SelectedText() : "");
}

}  // namespace corvane
