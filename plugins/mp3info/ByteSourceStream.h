#pragma once

#include <taglib/taglib.h>
#include <taglib/tiostream.h>

#include "ByteSource.h"

namespace corvane {

// TagLib reads the tags through this stream from the same bytes the scanner
// has read (the cached head and tail of the file), instead of opening the
// file again and reading it in small pieces. Read-only: writes are ignored.
class ByteSourceStream : public TagLib::IOStream {
public:
#if TAGLIB_MAJOR_VERSION >= 2
    using Offset = TagLib::offset_t;
    using Start = TagLib::offset_t;
    using Count = size_t;
#else
    using Offset = long;
    using Start = unsigned long;
    using Count = unsigned long;
#endif

    explicit ByteSourceStream(ByteSource& source) : source_(source) {}

    TagLib::FileName name() const override {
        return "";
    }
    TagLib::ByteVector readBlock(Count length) override;
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, Start, Count) override {}
    void removeBlock(Start, Count) override {}
    bool readOnly() const override {
        return true;
    }
    bool isOpen() const override {
        return true;
    }
    void seek(Offset offset, Position p) override;
    Offset tell() const override {
        return position_;
    }
    Offset length() override {
        return static_cast<Offset>(source_.Size());
    }
    void truncate(Offset) override {}

private:
    ByteSource& source_;
    Offset position_ = 0;
};

}  // namespace corvane
