#include "MpegFrameHeader.h"

namespace corvane {

namespace {

// kbit/s by [table][index 1..14]; index 0 (free format) and 15 are rejected.
constexpr int kBitrates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG 1, layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG 1, layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG 1, layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG 2/2.5, layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG 2/2.5, II & III
};

constexpr int kSampleRates[3][3] = {
    {44100, 48000, 32000},  // MPEG 1
    {22050, 24000, 16000},  // MPEG 2
    {11025, 12000, 8000},   // MPEG 2.5
};

}  // namespace

bool ParseMpegFrameHeader(const std::uint8_t* p, MpegFrameHeader& out) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) {
        return false;
    }
    const int versionBits = (p[1] >> 3) & 3;
    const int layerBits = (p[1] >> 1) & 3;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3 || (p[3] & 3) == 2) {
        return false;
    }
    MpegFrameHeader h;
    h.version = versionBits == 3   ? MpegVersion::Mpeg1
                : versionBits == 2 ? MpegVersion::Mpeg2
                                   : MpegVersion::Mpeg25;
    h.layer = 4 - layerBits;
    const bool mpeg1 = h.version == MpegVersion::Mpeg1;
    const int table = mpeg1 ? h.layer - 1 : (h.layer == 1 ? 3 : 4);
    h.bitrateKbps = kBitrates[table][bitrateIndex];
    h.sampleRate = kSampleRates[static_cast<int>(h.version)][rateIndex];
    h.channelMode = static_cast<ChannelMode>(p[3] >> 6);
    h.crcProtected = (p[1] & 1) == 0;
    const int padding = (p[2] >> 1) & 1;
    const int bitsPerSecond = h.bitrateKbps * 1000;
    if (h.layer == 1) {
        h.samplesPerFrame = 384;
        h.frameBytes = (12 * bitsPerSecond / h.sampleRate + padding) * 4;
    } else if (h.layer == 2 || mpeg1) {
        h.samplesPerFrame = 1152;
        h.frameBytes = 144 * bitsPerSecond / h.sampleRate + padding;
    } else {
        h.samplesPerFrame = 576;
        h.frameBytes = 72 * bitsPerSecond / h.sampleRate + padding;
    }
    out = h;
    return true;
}

bool SameMpegStream(const MpegFrameHeader& a, const MpegFrameHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate &&
           (a.channelMode == ChannelMode::Mono) == (b.channelMode == ChannelMode::Mono);
}

}  // namespace corvane
