#include "InfoFrame.h"

#include <cstring>

namespace corvane {

namespace {

std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

// CRC-16 as LAME computes it over the first 190 bytes of its info frame
// (polynomial 0x8005, reflected, initial value 0).
std::uint16_t Crc16(const std::uint8_t* data, std::size_t size) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

// Offset of the Xing tag: after the header and the side information.
std::size_t XingOffset(const MpegFrameHeader& h) {
    const bool mono = h.channelMode == ChannelMode::Mono;
    if (h.version == MpegVersion::Mpeg1) {
        return 4 + (mono ? 17 : 32);
    }
    return 4 + (mono ? 9 : 17);
}

bool KnownEncoder(const std::string& name) {
    for (const char* prefix : {"LAME", "Lavf", "Lavc", "L3.99", "GOGO"}) {
        if (name.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

// The 36-byte LAME extension after the Xing fields. Delay and padding are
// trusted when the tag's CRC holds or an encoder known to fill them wrote it.
void ParseLameExtension(const std::uint8_t* frame, std::size_t size, std::size_t at,
                        InfoFrame& out) {
    if (at + 36 > size) {
        return;
    }
    const std::uint8_t* p = frame + at;
    std::string name;
    for (int i = 0; i < 9 && p[i] >= 0x20 && p[i] < 0x7F; ++i) {
        name.push_back(static_cast<char>(p[i]));
    }
    const std::uint16_t storedCrc = static_cast<std::uint16_t>((p[34] << 8) | p[35]);
    // The CRC is worked out only when the encoder alone is no warrant.
    if (!KnownEncoder(name) && Crc16(frame, at + 34) != storedCrc) {
        return;
    }
    out.encoder = name;
    out.vbrMethod = p[9] & 0x0F;
    out.encoderDelay = (p[21] << 4) | (p[22] >> 4);
    out.endPadding = ((p[22] & 0x0F) << 8) | p[23];
    out.hasGapless = true;
}

bool ParseXing(const std::uint8_t* frame, std::size_t size, std::size_t at, InfoFrame& out) {
    if (at + 8 > size) {
        return false;
    }
    const std::uint8_t* p = frame + at;
    const bool xing = std::memcmp(p, "Xing", 4) == 0;
    if (!xing && std::memcmp(p, "Info", 4) != 0) {
        return false;
    }
    InfoFrame info;
    info.kind = xing ? InfoFrame::Kind::Xing : InfoFrame::Kind::Info;
    const std::uint32_t flags = Be32(p + 4);
    std::size_t pos = at + 8;
    if (flags & 1) {
        if (pos + 4 > size) {
            return false;
        }
        info.hasFrames = true;
        info.frames = Be32(frame + pos);
        pos += 4;
    }
    if (flags & 2) {
        if (pos + 4 > size) {
            return false;
        }
        info.hasBytes = true;
        info.bytes = Be32(frame + pos);
        pos += 4;
    }
    pos += (flags & 4) ? 100 : 0;
    pos += (flags & 8) ? 4 : 0;
    ParseLameExtension(frame, size, pos, info);
    out = info;
    return true;
}

bool ParseVbri(const std::uint8_t* frame, std::size_t size, InfoFrame& out) {
    constexpr std::size_t at = 4 + 32;
    if (at + 18 > size || std::memcmp(frame + at, "VBRI", 4) != 0) {
        return false;
    }
    InfoFrame info;
    info.kind = InfoFrame::Kind::Vbri;
    info.hasBytes = true;
    info.bytes = Be32(frame + at + 10);
    info.hasFrames = true;
    info.frames = Be32(frame + at + 14);
    out = info;
    return true;
}

}  // namespace

bool ParseInfoFrame(const std::uint8_t* frame, std::size_t size, const MpegFrameHeader& header,
                    InfoFrame& out) {
    if (header.layer != 3) {
        return false;
    }
    const std::size_t at = XingOffset(header);
    // Some writers leave room for the CRC word after the header, most do not.
    return ParseXing(frame, size, at, out) ||
           (header.crcProtected && ParseXing(frame, size, at + 2, out)) ||
           ParseVbri(frame, size, out);
}

}  // namespace corvane
