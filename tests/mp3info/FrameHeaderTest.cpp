#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "Mp3Fixtures.h"
#include "Mp3Info.h"
#include "PlayLength.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

TEST(FrameHeader, DecodesEachVersionAndLayer) {
    struct Case {
        std::uint32_t header;
        MpegVersion version;
        int layer, kbps, rate, spf, bytes;
        ChannelMode mode;
    } cases[] = {
        {0xFFFB9064, MpegVersion::Mpeg1, 3, 128, 44100, 1152, 417, ChannelMode::JointStereo},
        {0xFFFB9264, MpegVersion::Mpeg1, 3, 128, 44100, 1152, 418, ChannelMode::JointStereo},
        {0xFFFDA400, MpegVersion::Mpeg1, 2, 192, 48000, 1152, 576, ChannelMode::Stereo},
        {0xFFFFC8C0, MpegVersion::Mpeg1, 1, 384, 32000, 384, 576, ChannelMode::Mono},
        {0xFFF38040, MpegVersion::Mpeg2, 3, 64, 22050, 576, 208, ChannelMode::JointStereo},
        {0xFFE328C0, MpegVersion::Mpeg25, 3, 16, 8000, 576, 144, ChannelMode::Mono},
        {0xFFF59480, MpegVersion::Mpeg2, 2, 80, 24000, 1152, 480, ChannelMode::DualChannel},
    };
    for (const auto& c : cases) {
        MpegFrameHeader h;
        ASSERT_TRUE(test::ParseHeaderWord(c.header, h)) << c.header;
        EXPECT_EQ(std::tie(h.version, h.layer, h.bitrateKbps, h.sampleRate, h.samplesPerFrame,
                           h.frameBytes, h.channelMode),
                  std::tie(c.version, c.layer, c.kbps, c.rate, c.spf, c.bytes, c.mode))
            << c.header;
    }
}

TEST(FrameHeader, RejectsReservedAndUnusableFields) {
    for (std::uint32_t header : {
             0xFFEB9064u,  // reserved version
             0xFFF99064u,  // reserved layer
             0xFFFB0064u,  // free format
             0xFFFBF064u,  // bad bitrate index
             0xFFFB9C64u,  // reserved sample rate
             0xFFFB9066u,  // reserved emphasis
             0xFF1B9064u,  // no sync
         }) {
        MpegFrameHeader h;
        EXPECT_FALSE(test::ParseHeaderWord(header, h)) << std::hex << header;
    }
}

// Layers and versions lame cannot write, and bitrates that change: the walk
// counts every frame; for layers I and II the length is frames x samples per
// frame.
TEST(FrameHeader, WalksSyntheticStreams) {
    const struct {
        std::string data;
        int frames;
        const char* type;
        int kbps;
        long samples;  // -1: not checked
    } cases[] = {
        {test::SyntheticStream(0xFFFDA400, 100), 100, "MPEG 1 Layer II, 48000 Hz, Stereo", 192,
         115200},
        {test::SyntheticStream(0xFFFFC8C0, 250), 250, "MPEG 1 Layer I, 32000 Hz, Mono", 384, 96000},
        {test::SyntheticStream(0xFFF59480, 40), 40, "MPEG 2 Layer II, 24000 Hz, Dual Channel", 80,
         46080},
        {test::SyntheticStream(0xFFFB9064, 10) + test::SyntheticStream(0xFFFBB064, 10), 20,
         "MPEG 1 Layer III, 44100 Hz, Joint Stereo, VBR", 160, -1},  // 128 and 192 kbit/s
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const MpegStreamInfo info = test::ScanBytes(c.data);
        EXPECT_EQ(info.audioFrames, static_cast<std::uint64_t>(c.frames));
        EXPECT_EQ(info.audioBytes, c.data.size());
        if (c.samples >= 0) {
            EXPECT_EQ(ComputePlayLength(info).samples, c.samples);
        }
        ASSERT_TRUE(test::WriteFileBytes(dir.File("s.mp3"), c.data));
        Mp3InfoObject* object = CreateMp3Info();
        ASSERT_EQ(object->Open(dir.File("s.mp3")), 0);
        EXPECT_EQ(object->GetFileType(), c.type);
        EXPECT_EQ(object->GetBitrate(), c.kbps);
        EXPECT_EQ(object->HasTag(), 0);
        object->Release();
    }
}

TEST(FrameHeader, VbriFrameGivesTheFrameCount) {
    std::string data = test::SyntheticStream(0xFFFB9064, 10);
    std::string vbri = "VBRI";
    vbri += std::string("\0\1\0\0\0\0", 6);  // version, delay, quality
    vbri += std::string("\0\0\x10\x4A", 4);  // bytes: 4170
    vbri += std::string("\0\0\0\x09", 4);    // frames: 9
    data.replace(36, vbri.size(), vbri);
    bool ok = false;
    const MpegStreamInfo info = test::ScanBytes(data, &ok);
    ASSERT_TRUE(ok);
    ASSERT_TRUE(info.hasInfoFrame);
    EXPECT_EQ(info.info.kind, InfoFrame::Kind::Vbri);
    EXPECT_FALSE(info.walked);
    EXPECT_EQ(info.audioFrames, 9u);
    EXPECT_TRUE(info.variableBitrate);
    EXPECT_FALSE(ComputePlayLength(info).exact);
}

}  // namespace
}  // namespace corvane
