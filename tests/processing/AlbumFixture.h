#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "album/TrackInfo.h"
#include "processing/ProcessingPipeline.h"
#include "support/FakeMp3Info.h"
#include "support/TestSupport.h"

namespace corvane::test {

// Keeps the process's current directory across a test: the processing
// changes it on purpose.
struct CurrentDirGuard {
    const std::filesystem::path saved = std::filesystem::current_path();
    ~CurrentDirGuard() {
        std::error_code ignored;
        std::filesystem::current_path(saved, ignored);
    }
};

inline std::string CurrentDir() {
    return std::filesystem::current_path().string();
}

// The whole content of a file, or "(unreadable)".
inline std::string FileText(const std::string& path) {
    std::string content;
    return ReadFileBytes(path, content) ? content : "(unreadable)";
}

// Everything under folder by relative path: a file's content, or "(folder)".
inline std::map<std::string, std::string> FolderContents(const std::string& folder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        entries[fs::relative(entry.path(), folder).string()] =
            entry.is_directory() ? "(folder)" : FileText(entry.path().string());
    }
    return entries;
}

// Every file under folder but the journal's: a fake MP3 as "marker / track
// title" of its tag (or the marker alone), another file as its content.
inline std::map<std::string, std::string> Described(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& [path, content] : FolderContents(folder)) {
        FakeTag tag;
        if (path.rfind(kJournalFolder, 0) == 0 || content == "(folder)") {
            continue;
        }
        files[path] = content.rfind("MP3:", 0) != 0 ? content
                      : ReadFakeTag(folder + "/" + path, tag)
                          ? FakeMp3Marker(folder + "/" + path) + " / " + tag.track + " " + tag.title
                          : FakeMp3Marker(folder + "/" + path);
    }
    return files;
}

// A file record of the album folder; the file itself is written with its
// name as marker.
inline TrackInfo MakeFile(const std::string& folder, const std::string& name,
                          unsigned playSeconds) {
    TrackInfo file;
    file.fileName = name;
    file.filePath = folder + "/" + name;
    file.playSeconds = playSeconds;
    file.playTime = playSeconds;
    file.status = FileStatus::kRead;
    WriteFileBytes(file.filePath, FakeMp3Content(name));
    return file;
}

// A track of the album found on the server; fileName is the new name.
inline TrackInfo MakeTrack(int number, const std::string& title,
                           const std::string& artist = "Artist",
                           const std::string& album = "Album") {
    TrackInfo track;
    track.track = std::to_string(number);
    track.title = title;
    track.artist = artist;
    track.album = album;
    track.year = "1999";
    track.genre = "Rock";
    track.fileName = (number < 10 ? "0" : "") + std::to_string(number) + " - " + title + ".mp3";
    return track;
}

// What a pipeline run logged and counted.
struct PipelineRun {
    std::vector<std::string> lines;
    int failures = 0;
};

// Runs every step; rows default to the records' own order.
inline PipelineRun RunPipeline(const TrackList& files, const TrackList& tracks,
                               const ProcessingOptions& options, Mp3InfoObject& mp3,
                               std::vector<int> fileRows = {}, std::vector<int> trackRows = {}) {
    MemoryProcessingLog log;
    ProcessingPipeline pipeline(log);
    pipeline.SetLists(
        files, tracks, fileRows.empty() ? RecordOrderRows(files.size()) : std::move(fileRows),
        trackRows.empty() ? RecordOrderRows(tracks.size()) : std::move(trackRows), mp3);
    pipeline.SetOptions(options);
    pipeline.RunAll();
    return {log.Lines(), pipeline.FailureCount()};
}

}  // namespace corvane::test
