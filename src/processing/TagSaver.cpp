#include "processing/TagSaver.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/FileSystem.h"

namespace corvane {

namespace {

std::string TrackDisplayText(int track) {
    return (track < 10 ? "Track 0" : "Track ") + std::to_string(track);
}

// Stores the typed title, numbers and album artist into the record, and
// gives what the tag gets beyond the seven fields.
ExtraTagFields TakeExtraFields(const TagFields& fields, TrackInfo& file) {
    ExtraTagFields extra;
    extra.id3Version = fields.id3Version;
    if (!fields.title.empty()) {
        file.title = fields.title;
    }
    int number = 0;
    int total = 0;
    if (ParseNumberPair(fields.track, number, total)) {
        file.track = TrackDisplayText(number);
        file.trackCount = total;
        extra.trackCount = total;
    }
    if (!fields.albumArtist.empty()) {
        file.albumArtist = extra.albumArtist = fields.albumArtist;
    }
    if (ParseNumberPair(fields.disc, number, total)) {
        file.discNumber = extra.discNumber = number;
        file.discCount = extra.discCount = total;
    }
    if (!fields.cover.Empty()) {
        extra.picture = fields.cover.bytes;
        extra.pictureMime = fields.cover.mime;
        extra.replacePicture = true;  // chosen for these files
        file.coverMime = fields.cover.mime;
        file.coverBytes = static_cast<std::uint32_t>(fields.cover.bytes.size());
    }
    return extra;
}

}  // namespace

bool ParseNumberPair(const std::string& text, int& number, int& total) {
    const char* p = text.c_str();
    while (*p == ' ') {
        ++p;
    }
    if (!std::isdigit(static_cast<unsigned char>(*p))) {
        return false;
    }
    char* end = nullptr;
    const long n = std::strtol(p, &end, 10);
    long t = 0;
    while (*end == ' ') {
        ++end;
    }
    if (*end == '/') {
        t = std::strtol(end + 1, &end, 10);
    }
    while (*end == ' ') {
        ++end;
    }
    if (*end != '\0' || n > 9999 || t < 0 || t > 9999) {
        return false;
    }
    number = static_cast<int>(n);
    total = static_cast<int>(t);
    return true;
}

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
    const ExtraTagFields extra = TakeExtraFields(fields, file);
    if (mp3Info.Open(file.filePath) != 0) {
        result.outcome = TagSaveOutcome::kOpenFailed;
        return result;
    }
    TemporarilyWritable writable(file.filePath);
    mp3Info.SetExtraFields(extra);
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
