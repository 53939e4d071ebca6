#pragma once

#include <string>
#include <vector>

namespace corvane {

// What a run, a resume or an undo says when another one holds the folder.
inline constexpr const char* kFolderLockedText = "Another run is working on this folder.";

// One run per folder at a time: an exclusive flock on a file in the folder's
// journal folder and on the folder itself, held until Release or the end of
// the object. The kernel frees a lock when its process dies, so a killed run
// never leaves a stale one.
class RunLock {
public:
    RunLock() = default;
    ~RunLock() { Release(); }
    RunLock(RunLock&& other) noexcept;
    RunLock& operator=(RunLock&& other) noexcept;
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // Locks an album folder: 0, EWOULDBLOCK when another run holds it, or
    // the error. A folder this object holds already is simply kept.
    int LockFolder(const std::string& folder);
    // Locks a run's album directory, which another run may take as its
    // album folder.
    int LockDirectory(const std::string& dir);
    // The folder and every folder its run works in: the album folder whose
    // run made it its album directory, and that run's album directory.
    // A probe takes the folders' own locks only and makes no lock file.
    int LockRunOf(const std::string& folder, bool probe = false);
    bool Holds(const std::string& folder) const;
    // Lets go; a lock file that no journal came to keep company goes too.
    void Release();

private:
    struct Held {
        int fd = -1;
        std::string lockFile;  // empty for a directory's own lock
        unsigned long long device = 0;
        unsigned long long inode = 0;  // of the folder
    };
    int Lock(const std::string& folder, bool withFile);

    std::vector<Held> held_;
};

// Whether another run, resume or undo holds folder or a folder of its run:
// the window then shows kFolderLockedText and offers nothing else.
bool FolderIsLocked(const std::string& folder);

}  // namespace corvane
