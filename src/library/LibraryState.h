#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "library/LibraryAlbum.h"

namespace corvane {

// The folder in the root where the library run keeps its state.
inline constexpr const char* kLibraryStateFolder = ".corvane-library";

// The run's state in ROOT/.corvane-library/albums.jsonl: one line per
// decision, the whole album each time, appended and synced before the run
// acts on it. Read back, the last line of each album is where it stands, so
// a run killed at any moment goes on from there. The listing, the lookups
// and the filing ask it from their own threads: every call takes its lock.
class LibraryState {
public:
    // Reads the state of root; a missing file is an empty state. A line cut
    // short by a kill is ignored.
    explicit LibraryState(const std::string& root);

    // Appends album's line and syncs it; 0 or the errno value. writable
    // false (a dry run) keeps it in memory only.
    int Record(const LibraryAlbum& album);
    void SetWritable(bool writable) { writable_ = writable; }

    // The album as the state last saw it, if it did.
    std::optional<LibraryAlbum> Find(const std::string& folder) const;
    // Albums decided for good: not looked up again (a failure or an undone
    // album is).
    std::set<std::string> DecidedFolders() const;
    // Album directories of albums filed, with each album's folder, for the
    // listing to skip.
    std::map<std::string, std::string> FiledDirectories() const;
    // Albums whose filing began and was not seen to end.
    std::vector<LibraryAlbum> Interrupted() const;
    // Filed albums (and those whose filing began), newest first.
    std::vector<LibraryAlbum> FiledNewestFirst() const;
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
    bool writable_ = true;
    mutable std::mutex mutex_;  // guards what follows
    std::map<std::string, LibraryAlbum> albums_;
    std::map<std::string, long> filedOrder_;  // when each album's filing began
    long lines_ = 0;
};

// One album as a JSON object: what the report holds (folder, state, reason,
// discIds, source, albumDirectory), plus the discs' tracks when withTracks.
std::string AlbumJson(const LibraryAlbum& album, bool withTracks, bool pretty = false);
// Reads AlbumJson's object back; false for a text that is not one.
bool AlbumFromJson(const std::string& text, LibraryAlbum& album);

// The report: a JSON array of the albums, written atomically.
int WriteLibraryReport(const std::string& path, const std::vector<LibraryAlbum>& albums);

}  // namespace corvane
