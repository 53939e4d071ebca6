#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

// Random-access bytes that the stream scanner reads: an open file, or memory
// in the tests. Read returns how many bytes it delivered (short at the end).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    virtual std::size_t Read(std::uint64_t offset, void* buffer, std::size_t count) = 0;
};

// A file opened read-only; Size() is taken once at Open.
class FileByteSource : public ByteSource {
public:
    FileByteSource() = default;
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    // 0 or an errno value.
    int Open(const std::string& path);
    std::uint64_t Size() const override { return size_; }
    std::size_t Read(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Bytes held by the caller; they must outlive the source.
class MemoryByteSource : public ByteSource {
public:
    MemoryByteSource(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    std::size_t Read(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// Keeps the first and the last bytes of another source, where the tags and
// the first frames are looked at, so that a scan costs two reads of the file
// unless it walks the frames.
class CachingByteSource : public ByteSource {
public:
    explicit CachingByteSource(ByteSource& inner);
    std::uint64_t Size() const override { return inner_.Size(); }
    std::size_t Read(std::uint64_t offset, void* buffer, std::size_t count) override;
    // The cached bytes from offset on when at least count of them are
    // cached (held tells how many), so that they are looked at in place;
    // nullptr otherwise.
    const std::uint8_t* Cached(std::uint64_t offset, std::size_t count, std::size_t& held) const;

private:
    static constexpr std::size_t kHead = 16 * 1024;
    static constexpr std::size_t kTail = 1024;
    ByteSource& inner_;
    std::uint8_t head_[kHead];
    std::size_t headSize_ = 0;
    std::uint8_t tail_[kTail];
    std::uint64_t tailStart_ = 0;
    std::size_t tailSize_ = 0;
};

}  // namespace corvane
