#include "SideInfo.h"

namespace corvane {

namespace {

class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    unsigned Read(int bits) {
        unsigned value = 0;
        for (int i = 0; i < bits; ++i, ++pos_) {
            const std::size_t byte = pos_ / 8;
            const unsigned bit = byte < size_ ? (data_[byte] >> (7 - pos_ % 8)) & 1u : 0u;
            value = (value << 1) | bit;
        }
        return value;
    }
    void Skip(int bits) { pos_ += static_cast<std::size_t>(bits); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace

std::size_t SideInfoEnd(const MpegFrameHeader& h) {
    const bool mono = h.channelMode == ChannelMode::Mono;
    const std::size_t side = h.version == MpegVersion::Mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    return 4 + (h.crcProtected ? 2 : 0) + side;
}

int SilentGranules(const std::uint8_t* frame, std::size_t size, const MpegFrameHeader& h,
                   bool silent[2]) {
    const std::size_t end = SideInfoEnd(h);
    if (h.layer != 3 || size < end) {
        return 0;
    }
    const std::size_t start = 4 + (h.crcProtected ? 2 : 0);
    BitReader bits(frame + start, end - start);
    const int channels = h.channelMode == ChannelMode::Mono ? 1 : 2;
    const bool mpeg1 = h.version == MpegVersion::Mpeg1;
    const int granules = mpeg1 ? 2 : 1;
    if (mpeg1) {
        bits.Skip(9 + (channels == 1 ? 5 : 3) + 4 * channels);  // main data, private, scfsi
    } else {
        bits.Skip(8 + (channels == 1 ? 1 : 2));
    }
    for (int gr = 0; gr < granules; ++gr) {
        silent[gr] = true;
        for (int ch = 0; ch < channels; ++ch) {
            if (bits.Read(12) != 0) {  // part2_3_length
                silent[gr] = false;
            }
            // big_values, global_gain, scalefac_compress, the block fields and
            // the three flags; MPEG 2 has a 9-bit scalefac_compress and no preflag.
            bits.Skip(9 + 8 + (mpeg1 ? 4 : 9) + 1 + 22 + (mpeg1 ? 3 : 2));
        }
    }
    return granules;
}

}  // namespace corvane
