#include <gtest/gtest.h>

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
        SCOPED_TRACE(c.header);
        MpegFrameHeader h;
        ASSERT_TRUE(test::ParseHeaderWord(c.header, h));
        EXPECT_EQ(h.version, c.version);
        EXPECT_EQ(h.layer, c.layer);
        EXPECT_EQ(h.bitrateKbps, c.kbps);
        EXPECT_EQ(h.sampleRate, c.rate);
        EXPECT_EQ(h.samplesPerFrame, c.spf);
        EXPECT_EQ(h.frameBytes, c.bytes);
        EXPECT_EQ(h.channelMode, c.mode);
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

// Layers and versions lame cannot write: the walk counts every frame and the
// length is frames x samples per frame.
TEST(FrameHeader, WalksSyntheticStreamsOfOtherLayers) {
    struct Case {
        std::uint32_t header;
        int frames;
        const char* type;
        int kbps;
        long samples;
    } cases[] = {
        {0xFFFDA400, 100, "MPEG 1 Layer II, 48000 Hz, Stereo", 192, 115200},
        {0xFFFFC8C0, 250, "MPEG 1 Layer I, 32000 Hz, Mono", 384, 96000},
        {0xFFF59480, 40, "MPEG 2 Layer II, 24000 Hz, Dual Channel", 80, 46080},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const std::string data = test::SyntheticStream(c.header, c.frames);
        bool ok = false;
        const MpegStreamInfo info = test::ScanBytes(data, &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(info.audioFrames, static_cast<std::uint64_t>(c.frames));
        EXPECT_FALSE(info.variableBitrate);
        EXPECT_EQ(ComputePlayLength(info).samples, c.samples);

        test::TempDir dir;
        ASSERT_TRUE(test::WriteFileBytes(dir.File("s.mp3"), data));
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

TEST(FrameHeader, MixedBitratesMakeTheWalkedStreamVariable) {
    const std::string data = test::SyntheticStream(0xFFFB9064, 10) +  // 128 kbit/s
                             test::SyntheticStream(0xFFFBB064, 10);   // 192 kbit/s
    bool ok = false;
    const MpegStreamInfo info = test::ScanBytes(data, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(info.audioFrames, 20u);
    EXPECT_TRUE(info.variableBitrate);
    EXPECT_EQ(info.audioBytes, data.size());
}

}  // namespace
}  // namespace corvane
