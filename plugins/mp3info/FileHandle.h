#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <thread>

namespace corvane {

// An open file descriptor, closed when the object goes away.
class FileHandle {
public:
    explicit FileHandle(int fd = -1) : fd_(fd) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : fd_(other.Detach()) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        Reset(other.Detach());
        return *this;
    }

    int fd() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    // 0 or an errno value; closing a second time does nothing.
    int Close();
    // The descriptor, no longer closed by this object.
    int Detach();

private:
    int fd_;
};

// Closes descriptors on a thread of its own, one at a time. The last close of
// a file that a copy replaced frees its blocks, and where the file system
// discards freed blocks (mounted with "discard") that close waits for the
// device; the next file need not wait for it too.
class BackgroundCloser {
public:
    BackgroundCloser() = default;
    ~BackgroundCloser() { Wait(); }
    BackgroundCloser(const BackgroundCloser&) = delete;
    BackgroundCloser& operator=(const BackgroundCloser&) = delete;

    // Closes the handle's descriptor once the close before it has ended.
    void Close(FileHandle& handle);
    // Returns when every close has ended.
    void Wait();

private:
    std::thread closing_;
};

// Writes all of data at offset: 0 or an errno value.
int WriteAllAt(int fd, const void* data, std::size_t size, off_t offset);

// Copies [from, to) of in to out from outPos on: 0 or an errno value.
int CopyRange(int in, int out, off_t from, off_t to, off_t outPos);

// Flushes the folder of path, so that a rename in it lasts.
void SyncFolder(const std::string& path);

// A copy being written beside a file, named NAME.tagging-XXXXXX, NAME cut at
// a character boundary where the whole would not fit in a file name. It is
// removed when the object goes away, unless it replaced the file.
class TemporaryCopy {
public:
    TemporaryCopy() = default;
    ~TemporaryCopy();
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    // Creates the copy beside path: 0 or an errno value.
    int Create(const std::string& path);
    int fd() const { return file_.fd(); }
    const std::string& name() const { return name_; }
    int Close() { return file_.Close(); }
    // Renames the copy over path (atomically: readers see the old file or
    // the new one): 0 or an errno value.
    int Replace(const std::string& path);

private:
    FileHandle file_;
    std::string name_;
};

}  // namespace corvane
