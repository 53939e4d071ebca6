#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace corvane {

// errno, or EIO when a failed call left it 0.
int LastError();
// Writes all of data, going on after interruptions; 0 or the error.
int WriteAll(int fd, std::string_view data);
// The path names something (a dangling link too); it is a directory.
bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);

// File-system helpers. Failures come back as errno values (0 = success) so
// that callers can name the reason in their log.

// Renames or moves from -> to, never replacing an existing file or folder
// (EEXIST then). Works for files and folders on the same file system.
int RenameNoReplace(const std::string& from, const std::string& to);

// The same where neither RENAME_NOREPLACE nor hard links exist: the target
// name is claimed by an exclusive create, and the rename goes over the claim
// only while it is still the empty claim; otherwise EEXIST, and whatever
// another program put there stays. beforeRename lets a test act in between.
int RenameByClaim(const std::string& from, const std::string& to,
                  const std::function<void()>& beforeRename = {});

// Writes data to a temporary file beside path, syncs it, renames it over path
// and syncs the folder, so readers -- and a restart after a crash -- see
// either the old or the new content. An existing file's permission bits are
// kept.
int WriteFileAtomically(const std::string& path, std::string_view data);

// Reads a whole file. Returns an errno value on failure.
int ReadWholeFile(const std::string& path, std::string& out);

// Gives the owner write permission (the "read-only attribute" cleared).
int ClearReadOnly(const std::string& path);
bool IsReadOnly(const std::string& path);

// Clears the read-only attribute of a file for a write and sets it again
// afterwards (when Restore is called, at the latest when the object goes
// away), so that a read-only file stays read-only whether the write worked
// or not.
class TemporarilyWritable {
public:
    explicit TemporarilyWritable(std::string path);
    ~TemporarilyWritable();
    TemporarilyWritable(const TemporarilyWritable&) = delete;
    TemporarilyWritable& operator=(const TemporarilyWritable&) = delete;

    // 0, or the errno value that says why the attribute could not be set again.
    int Restore();
    // The file was read-only and is writable until Restore.
    bool Cleared() const { return cleared_; }

private:
    std::string path_;
    bool cleared_ = false;  // the attribute was set and is cleared now
    unsigned mode_ = 0;     // the permission bits to put back
};

// The folder of the running executable, from /proc/self/exe; empty on failure.
std::string ExecutableDir();

// Human-readable text of an errno value.
std::string ErrorText(int error);

}  // namespace corvane
