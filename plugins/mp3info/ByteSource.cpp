#include "ByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

CachingByteSource::CachingByteSource(ByteSource& inner) : inner_(inner) {
    const std::uint64_t size = inner.Size();
    headSize_ = inner.Read(0, head_, size < kHead ? static_cast<std::size_t>(size) : kHead);
    if (size > headSize_) {
        tailStart_ = size > kTail ? size - kTail : 0;
        if (tailStart_ < headSize_) {
            tailStart_ = headSize_;
        }
        tailSize_ = inner.Read(tailStart_, tail_, static_cast<std::size_t>(size - tailStart_));
    }
}

std::size_t CachingByteSource::Read(std::uint64_t offset, void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (count == 0) {
        return 0;
    }
    if (offset < headSize_) {
        // From the head, and what lies beyond it from the file.
        const std::size_t cached = std::min<std::size_t>(count, headSize_ - offset);
        std::memcpy(out, head_ + offset, cached);
        if (cached == count) {
            return count;
        }
        return cached + inner_.Read(headSize_, out + cached, count - cached);
    }
    if (tailSize_ > 0 && offset >= tailStart_ && offset - tailStart_ <= tailSize_ &&
        count <= tailSize_ - (offset - tailStart_)) {
        std::memcpy(out, tail_ + (offset - tailStart_), count);
        return count;
    }
    return inner_.Read(offset, buffer, count);
}

const std::uint8_t* CachingByteSource::Cached(std::uint64_t offset, std::size_t count,
                                              std::size_t& held) const {
    if (offset < headSize_ && count <= headSize_ - offset) {
        held = static_cast<std::size_t>(headSize_ - offset);
        return head_ + offset;
    }
    if (tailSize_ > 0 && offset >= tailStart_ && offset - tailStart_ < tailSize_ &&
        count <= tailSize_ - (offset - tailStart_)) {
        held = static_cast<std::size_t>(tailSize_ - (offset - tailStart_));
        return tail_ + (offset - tailStart_);
    }
    return nullptr;
}

}  // namespace corvane
