#include "FileHandle.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>
#include <utility>
#include <vector>

namespace corvane {

int FileHandle::Close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0 ? 0 : errno;
}

int FileHandle::Detach() {
    return std::exchange(fd_, -1);
}

void BackgroundCloser::Close(FileHandle& handle) {
    if (!handle.IsOpen()) {
        return;
    }
    Wait();
    const int fd = handle.Detach();
    try {
        closing_ = std::thread([fd] { ::close(fd); });
    } catch (const std::system_error&) {
        ::close(fd);  // no thread to be had: closed here
    }
}

void BackgroundCloser::Wait() {
    if (closing_.joinable()) {
        closing_.join();
    }
}

int WriteAllAt(int fd, const void* data, std::size_t size, off_t offset) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t done = ::pwrite(fd, bytes, size, offset);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return done < 0 ? errno : EIO;
        }
        bytes += done;
        size -= static_cast<std::size_t>(done);
        offset += done;
    }
    return 0;
}

int CopyRange(int in, int out, off_t from, off_t to, off_t outPos) {
    while (from < to) {
        off_t inPos = from;
        off_t target = outPos;
        const ssize_t done =
            ::copy_file_range(in, &inPos, out, &target, static_cast<std::size_t>(to - from), 0);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            break;
        }
        from += done;
        outPos += done;
    }
    if (from >= to) {
        return 0;
    }
    // copy_file_range may be refused across file systems: plain copy.
    std::vector<char> buffer(1 << 20);
    while (from < to) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<off_t>(to - from, static_cast<off_t>(buffer.size())));
        const ssize_t got = ::pread(in, buffer.data(), want, from);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got < 0 ? errno : EIO;
        }
        if (const int err = WriteAllAt(out, buffer.data(), static_cast<std::size_t>(got), outPos)) {
            return err;
        }
        from += got;
        outPos += got;
    }
    return 0;
}

void SyncFolder(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    FileHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.IsOpen()) {
        ::fsync(dir.fd());
    }
}

namespace {

std::string TemporaryPattern(const std::string& path) {
    static const std::string kSuffix = ".tagging-XXXXXX";
    const auto slash = path.rfind('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    std::size_t keep = std::min(path.size() - nameAt, NAME_MAX - kSuffix.size());
    while (keep > 0 && (static_cast<unsigned char>(path[nameAt + keep]) & 0xC0) == 0x80) {
        --keep;  // not inside a UTF-8 sequence
    }
    return path.substr(0, nameAt + keep) + kSuffix;
}

}  // namespace

TemporaryCopy::~TemporaryCopy() {
    if (!name_.empty()) {
        ::unlink(name_.c_str());
    }
}

int TemporaryCopy::Create(const std::string& path) {
    std::string name = TemporaryPattern(path);
    file_.Reset(::mkstemp(name.data()));
    if (!file_.IsOpen()) {
        return errno;
    }
    name_ = name;
    return 0;
}

int TemporaryCopy::Replace(const std::string& path) {
    if (::rename(name_.c_str(), path.c_str()) != 0) {
        return errno;
    }
    name_.clear();
    return 0;
}

}  // namespace corvane
