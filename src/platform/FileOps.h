#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// The changes a processing run makes to the file system, one call each, so
// that a journal can stand between them and a test can stop a run at any of
// them. Failures come back as errno values (0 = success).
class FileOps {
public:
    virtual ~FileOps() = default;

    // Renames or moves, never replacing an existing file (EEXIST then).
    virtual int Rename(const std::string& from, const std::string& to);
    virtual int MakeDirectory(const std::string& path);
    virtual int RemoveDirectory(const std::string& path);
    virtual int RemoveFile(const std::string& path);
    // Makes the file path, which must not exist yet, with data, synced
    // unless a SyncFileSystem after a batch of them is to do it.
    virtual int CreateFile(const std::string& path, std::string_view data, bool sync = true);
    // Appends data to path, made when missing; synced when asked.
    virtual int Append(const std::string& path, std::string_view data, bool sync);
    // Puts the file `from` in the place of `to`, replacing it: only for a
    // file's own restored content.
    virtual int ReplaceFile(const std::string& from, const std::string& to);
    virtual int Truncate(const std::string& path, std::size_t size);
    // Makes the entries of a folder (made, renamed, removed) last through a
    // power loss.
    virtual int SyncDirectory(const std::string& path);
    // Flushes everything written to the file system that holds path: one
    // wait for the disk where a sync per file would be one each.
    virtual int SyncFileSystem(const std::string& path);
};

}  // namespace corvane
