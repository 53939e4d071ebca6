#include "ByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corvane {

FileByteSource::~FileByteSource() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

int FileByteSource::Open(const std::string& path) {
    // O_NONBLOCK: a FIFO named like an MP3 must not hang the scan.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return err;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    // The audio is walked front to back once.
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return 0;
}

std::size_t FileByteSource::Read(std::uint64_t offset, void* buffer, std::size_t count) {
    if (fd_ < 0 || offset >= size_) {
        return 0;
    }
    std::size_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t got =
            ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::size_t MemoryByteSource::Read(std::uint64_t offset, void* buffer, std::size_t count) {
    if (offset >= size_) {
        return 0;
    }
    const std::size_t n = count < size_ - offset ? count : static_cast<std::size_t>(size_ - offset);
    std::memcpy(buffer, data_ + offset, n);
    return n;
}

}  // namespace corvane
