#include "AudioRange.h"

#include <algorithm>
#include <cstring>

namespace corvane {

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

// An ID3v2 header or footer ("ID3" or "3DI"): its total tag size, or 0.
std::uint64_t Id3v2TagSize(const std::uint8_t* p, const char* magic) {
    if (std::memcmp(p, magic, 3) != 0 || p[3] == 0xFF || p[4] == 0xFF) {
        return 0;
    }
    std::uint32_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (p[i] & 0x80) {
            return 0;
        }
        size = (size << 7) | p[i];
    }
    const bool footer = p[3] >= 4 && (p[5] & 0x10) != 0;
    return 10 + std::uint64_t{size} + (footer ? 10 : 0);
}

bool ReadAt(ByteSource& source, std::uint64_t offset, std::uint8_t* buffer, std::size_t count) {
    return source.Read(offset, buffer, count) == count;
}

// One tag at the end of [start, end): returns the new end, or end when none.
std::uint64_t StripTrailingTag(ByteSource& source, std::uint64_t start, std::uint64_t end,
                               bool& id3v1) {
    const std::uint64_t room = end - start;
    std::uint8_t buf[32];
    if (room >= 128 && ReadAt(source, end - 128, buf, 3) && std::memcmp(buf, "TAG", 3) == 0) {
        id3v1 = true;
        std::uint64_t newEnd = end - 128;
        // The "enhanced" tag sits right before an ID3v1 tag.
        if (newEnd - start >= 227 && ReadAt(source, newEnd - 227, buf, 4) &&
            std::memcmp(buf, "TAG+", 4) == 0) {
            newEnd -= 227;
        }
        return newEnd;
    }
    if (room >= 32 && ReadAt(source, end - 32, buf, 32) && std::memcmp(buf, "APETAGEX", 8) == 0) {
        const std::uint64_t size = Le32(buf + 12);
        const bool header = (Le32(buf + 20) & 0x80000000u) != 0;
        const std::uint64_t total = size + (header ? 32 : 0);
        if (size >= 32 && total <= room) {
            return end - total;
        }
        return end - 32;
    }
    if (room >= 15 && ReadAt(source, end - 15, buf, 15)) {
        if (std::memcmp(buf + 6, "LYRICS200", 9) == 0) {
            std::uint64_t size = 0;
            for (int i = 0; i < 6; ++i) {
                if (buf[i] < '0' || buf[i] > '9') {
                    return end;
                }
                size = size * 10 + (buf[i] - '0');
            }
            std::uint8_t begin[11];
            if (size + 15 <= room && ReadAt(source, end - 15 - size, begin, 11) &&
                std::memcmp(begin, "LYRICSBEGIN", 11) == 0) {
                return end - 15 - size;
            }
            return end;
        }
        if (std::memcmp(buf + 6, "LYRICSEND", 9) == 0) {
            // Lyrics3 v1 has no size field; its text is at most 5100 bytes.
            const std::uint64_t span = room < 5100 + 20 ? room : 5100 + 20;
            std::uint8_t text[5120];
            const std::uint64_t from = end - span;
            if (ReadAt(source, from, text, span)) {
                for (std::uint64_t i = span - 9; i-- > 0;) {
                    if (i + 11 <= span && std::memcmp(text + i, "LYRICSBEGIN", 11) == 0) {
                        return from + i;
                    }
                }
            }
            return end;
        }
    }
    if (room >= 10 && ReadAt(source, end - 10, buf, 10)) {
        const std::uint64_t total = Id3v2TagSize(buf, "3DI");
        std::uint8_t head[10];
        if (total > 0 && total <= room && ReadAt(source, end - total, head, 10) &&
            Id3v2TagSize(head, "ID3") == total) {
            return end - total;
        }
    }
    return end;
}

}  // namespace

std::uint64_t ClaimedId3v2Size(ByteSource& source, std::uint64_t at) {
    std::uint8_t head[10];
    return ReadAt(source, at, head, 10) ? Id3v2TagSize(head, "ID3") : 0;
}

AudioRange FindAudioRange(ByteSource& source, std::uint64_t leadingTagEnd) {
    AudioRange range;
    const std::uint64_t size = source.Size();
    range.leadingTagSize = std::min(leadingTagEnd, size);
    range.start = range.leadingTagSize;
    range.end = size;
    // Some writers stack several ID3v2 tags; skip them all.
    for (int i = 0; i < 8 && range.start + 10 <= size; ++i) {
        const std::uint64_t total = ClaimedId3v2Size(source, range.start);
        if (total == 0) {
            break;
        }
        if (total > size - range.start) {
            // A size field past the end: look for audio right after the header.
            range.start += 10;
            break;
        }
        range.start += total;
    }
    for (int i = 0; i < 8; ++i) {
        const std::uint64_t newEnd =
            StripTrailingTag(source, range.start, range.end, range.hasId3v1);
        if (newEnd == range.end) {
            break;
        }
        range.end = newEnd;
    }
    return range;
}

}  // namespace corvane
