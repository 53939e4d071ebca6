#include "processing/TagSaver.h"

#include <algorithm>
#include <cctype>

#include "platform/FileSystem.h"

namespace corvane {

TagSaveResult SaveTagOfSelectedFile(TrackList& files, int selectedRecord, const TagFields& fields,
                                    Mp3InfoObject& mp3Info) {
    TagSaveResult result;
    if (selectedRecord < 0) {
        return result;
    }
    if (static_cast<std::size_t>(selectedRecord) >= files.size()) {
        result.outcome = TagSaveOutcome::kNoRecord;
        return result;
    }
    result.record = selectedRecord;
    TrackInfo& file = files[static_cast<std::size_t>(selectedRecord)];
    file.artist = fields.artist;
    file.album = fields.album;
    file.year = fields.year;
    file.comment = fields.comment;
    file.genre = fields.genre;
    if (mp3Info.Open(file.filePath) != 0) {
        result.outcome = TagSaveOutcome::kOpenFailed;
        return result;
    }
    TemporarilyWritable writable(file.filePath);
    result.error = mp3Info.WriteTag(file.title, file.artist, file.album, file.year, file.comment,
                                    TrackNumberText(file.track), file.genre);
    result.outcome = result.error == 0 ? TagSaveOutcome::kSaved : TagSaveOutcome::kWriteFailed;
    if (result.error != 0) {
        result.reason = WriteFailureText(mp3Info, result.error);
    }
    result.restoreError = writable.Restore();
    return result;
}

namespace {

void KeepWhenEmpty(std::string& typed, const std::string& own) {
    if (typed.empty()) {
        typed = own;
    }
}

}  // namespace

std::vector<TagSaveResult> SaveTagOfFiles(TrackList& files, const std::vector<int>& records,
                                          const TagFields& fields, Mp3InfoObject& mp3Info) {
    std::vector<TagSaveResult> results;
    for (const int record : records) {
        TagFields own = fields;
        if (record >= 0 && static_cast<std::size_t>(record) < files.size()) {
            const TrackInfo& file = files[static_cast<std::size_t>(record)];
            KeepWhenEmpty(own.artist, file.artist);
            KeepWhenEmpty(own.album, file.album);
            KeepWhenEmpty(own.year, file.year);
            KeepWhenEmpty(own.comment, file.comment);
            KeepWhenEmpty(own.genre, file.genre);
        }
        results.push_back(SaveTagOfSelectedFile(files, record, own, mp3Info));
    }
    return results;
}

std::string TagSaveCountText(const std::vector<TagSaveResult>& results) {
    const auto saved = std::count_if(results.begin(), results.end(), [](const TagSaveResult& r) {
        return r.outcome == TagSaveOutcome::kSaved;
    });
    return "ID3 information saved in " + std::to_string(saved) + " of " +
           std::to_string(results.size()) + " files.";
}

std::string WriteFailureText(Mp3InfoObject& mp3Info, int error) {
    const std::string reason = mp3Info.GetWriteError();
    return reason.empty() ? ErrorText(error) : reason;
}

std::string TrackNumberText(const std::string& trackText) {
    const auto digits = trackText.find_first_of("0123456789");
    if (digits == std::string::npos) {
        return {};
    }
    std::string number;
    for (auto i = digits;
         i < trackText.size() && std::isdigit(static_cast<unsigned char>(trackText[i])); ++i) {
        number += trackText[i];
    }
    const auto first = number.find_first_not_of('0');
    return first == std::string::npos ? std::string("0") : number.substr(first);
}

std::string TagSaveStatusText(const TagSaveResult& result, const TrackList& files) {
    const bool known = result.record >= 0 && static_cast<std::size_t>(result.record) < files.size();
    const std::string name =
        known ? "\"" + files[static_cast<std::size_t>(result.record)].fileName + "\"" : "the file";
    const std::string restore =
        result.restoreError == 0
            ? std::string()
            : " " + name + " could not be made read-only again: " + ErrorText(result.restoreError);
    switch (result.outcome) {
        case TagSaveOutcome::kSaved:
            return "ID3 information saved in " + name + "." + restore;
        case TagSaveOutcome::kNoSelection:
            return "Select a file first.";
        case TagSaveOutcome::kNoRecord:
            return "The selected row names no file.";
        case TagSaveOutcome::kOpenFailed:
            return "Cannot read " + name + " as an MP3 file: ID3 information not saved.";
        case TagSaveOutcome::kWriteFailed:
            return "Cannot write the ID3 tag of " + name + ": " + result.reason + "." + restore;
    }
    return {};
}

}  // namespace corvane
