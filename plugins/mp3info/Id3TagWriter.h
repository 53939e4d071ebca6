#pragma once

#include <sys/stat.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FileHandle.h"
#include "components/Mp3InfoObject.h"

namespace corvane {

// The fields that the program writes; texts are UTF-8.
struct Id3WriteValues {
    std::string title;
    std::string artist;
    std::string album;
    std::string year;  // decimal text; "0" or empty removes the year
    std::string comment;
    std::string track;  // "7", "07", "Track 07"; " - " or no number removes it
    std::string genre;  // a name, written as text
    ExtraTagFields extra{};
};

struct TagWriteResult {
    int error = 0;       // 0 or an errno value
    std::string reason;  // why the write failed, for the log; empty on success
};

// Writes an ID3v2.3 tag (or ID3v2.4 when extra says so) into the file (and updates an ID3v1 tag
// that is already there), keeping every other frame. The old tag ends where LeadingTagEnd says. The
// audio is never moved in place: a tag that fits the room of the old one is overwritten there,
// otherwise a complete copy is written beside the file, flushed and renamed over it with the file's
// permissions (through a symbolic link, its target is written). Before the
// file changes, the points of the new bytes that a tag write can move are
// checked (see AudioChange): the scanner must find the audio where the new
// tag puts it, or nothing is replaced. On failure the file is left as it was.
// When a copy replaced the file and `replaced` is given, it receives a
// descriptor of the old file, whose close frees its blocks (see
// BackgroundCloser).
//
// With `deferred` given, nothing is flushed and a copy is not renamed: the
// write waits in deferred for its Flush.
class DeferredWrites;
TagWriteResult WriteId3Tag(const std::string& path, const Id3WriteValues& values,
                           FileHandle* replaced = nullptr, DeferredWrites* deferred = nullptr);

// Tag writes of a batch that wait for one flush: tags written in place, and
// copies beside their files.
class DeferredWrites {
public:
    DeferredWrites() = default;
    DeferredWrites(const DeferredWrites&) = delete;
    DeferredWrites& operator=(const DeferredWrites&) = delete;

    // A tag written in place into the open file fd; name is the file as
    // the caller named it (a link, maybe), for the failures.
    void AddInPlace(const std::string& name, int fd);
    // A copy complete beside path (name's real path); renamed over it at
    // Flush unless the file changed meanwhile. original is the open file
    // that the copy replaces.
    void AddCopy(const std::string& name, const std::string& path,
                 std::unique_ptr<TemporaryCopy> copy, const struct stat& read, FileHandle original);
    // The name of the copy waiting for name, or name itself.
    std::string CurrentName(const std::string& name) const;
    // Flushes each file system written to once, renames the copies over
    // their files, flushes each of their folders once; the replaced files
    // go to closer. The writes that failed, by name; afterwards empty.
    std::vector<std::pair<std::string, TagWriteResult>> Flush(BackgroundCloser& closer);

private:
    struct Copy {
        std::string name;
        std::string path;
        std::unique_ptr<TemporaryCopy> copy;
        struct stat read {};
        FileHandle original;
    };
    void KeepDevice(int fd);

    std::vector<std::pair<std::string, dev_t>> inPlace_;
    std::vector<Copy> copies_;
    // One open file on each file system written to, for its flush.
    std::map<dev_t, FileHandle> devices_;
};

}  // namespace corvane
