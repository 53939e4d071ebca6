#include "ByteSourceStream.h"

namespace corvane {

TagLib::ByteVector ByteSourceStream::readBlock(Count length) {
    const std::uint64_t size = source_.Size();
    const auto at = static_cast<std::uint64_t>(position_);
    if (length == 0 || at >= size) {
        return {};
    }
    const std::uint64_t want = length < size - at ? length : size - at;
    TagLib::ByteVector bytes(static_cast<unsigned>(want), '\0');
    const std::size_t got = source_.Read(at, bytes.data(), bytes.size());
    bytes.resize(static_cast<unsigned>(got));
    position_ += static_cast<Offset>(got);
    return bytes;
}

void ByteSourceStream::seek(Offset offset, Position p) {
    const Offset base = p == Beginning ? 0 : p == Current ? position_ : length();
    // A seek before the start is refused, as a file refuses it.
    if (base + offset >= 0) {
        position_ = base + offset;
    }
}

}  // namespace corvane
