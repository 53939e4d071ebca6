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

// What a pipeline run logged, counted and summed up.
struct PipelineRun {
    std::vector<std::string> lines;
    int failures = 0;
    std::string summary;
};

// How a run is made beyond its lists: rows default to the records' own order.
struct RunSetup {
    std::vector<int> fileRows = {};
    std::vector<int> trackRows = {};
    FileOps* ops = nullptr;
    DependencyStep* dependencies = nullptr;
    std::string searchWords = "";
    bool confirmDependencies = false;
};

// Runs every step.
inline PipelineRun RunPipeline(const TrackList& files, const TrackList& tracks,
                               const ProcessingOptions& options, Mp3InfoObject& mp3,
                               RunSetup setup = {}) {
    MemoryProcessingLog log;
    ProcessingPipeline pipeline(log, setup.ops);
    const auto rows = [](std::vector<int>& given, std::size_t count) {
        return given.empty() ? RecordOrderRows(count) : std::move(given);
    };
    pipeline.SetLists(files, tracks, rows(setup.fileRows, files.size()),
                      rows(setup.trackRows, tracks.size()), mp3);
    pipeline.SetOptions(options);
    pipeline.SetDependencyStep(setup.dependencies);
    pipeline.SetDependencyOptions(setup.searchWords, setup.confirmDependencies);
    pipeline.RunAll();
    return {log.Lines(), pipeline.FailureCount(), pipeline.SummaryText()};
}

}  // namespace corvane::test
