#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Mp3Info.h"
#include "PlayLength.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

// One lame mode and sample rate with the stream details it must show; every
// case is encoded at several lengths, whole CD frames and odd counts.
struct EncoderCase {
    const char* name;
    std::vector<std::string> args;
    int rate;
    int channels;
    int minKbps, maxKbps;
    const char* type;
};

void PrintTo(const EncoderCase& c, std::ostream* os) {
    *os << c.name;
}

class ExactLength : public ::testing::TestWithParam<EncoderCase> {};

TEST_P(ExactLength, InfoFrameGivesTheInputSampleCount) {
    const EncoderCase& c = GetParam();
    test::TempDir dir;
    Mp3Info* info = static_cast<Mp3Info*>(CreateMp3Info());
    for (long samples : {588L * 75 * 3, 588L * 1234, 100003L, 1L, 1152L * 7}) {
        SCOPED_TRACE(samples);
        const std::string path =
            test::MakeMp3(dir.path(), "a.mp3", samples, c.args, c.channels, c.rate);
        ASSERT_FALSE(path.empty());
        ASSERT_EQ(info->Open(path), 0);
        EXPECT_TRUE(info->Length().exact);
        EXPECT_FALSE(info->Stream().walked);
        EXPECT_EQ(info->GetAuxValue(), samples);
        EXPECT_EQ(info->GetPlaySeconds(), static_cast<unsigned>(samples / c.rate));
        EXPECT_NEAR(info->GetPlayTime(), static_cast<double>(samples) / c.rate, 1e-9);
        if (samples == 588L * 1234) {  // long enough for a settled bitrate
            EXPECT_EQ(info->GetFileType(), c.type);
            EXPECT_GE(info->GetBitrate(), c.minKbps);
            EXPECT_LE(info->GetBitrate(), c.maxKbps);
        }
    }
    info->Release();
}

const char* const kJoint44 = "MPEG 1 Layer III, 44100 Hz, Joint Stereo";

// clang-format off
const EncoderCase kLameModes[] = {
    {"cbr128", {"-b", "128"}, 44100, 2, 128, 128, kJoint44},
    {"s320", {"-b", "320", "-m", "s"}, 44100, 2, 320, 320, "MPEG 1 Layer III, 44100 Hz, Stereo"},
    {"vbr2", {"-V", "2"}, 44100, 2, 96, 320, "MPEG 1 Layer III, 44100 Hz, Joint Stereo, VBR"},
    {"abr", {"--abr", "160"}, 44100, 2, 140, 180, "MPEG 1 Layer III, 44100 Hz, Joint Stereo, ABR"},
    {"crc", {"-p", "-V", "3"}, 44100, 2, 96, 320, "MPEG 1 Layer III, 44100 Hz, Joint Stereo, VBR"},
    {"mono", {"-m", "m", "-b", "64"}, 44100, 1, 64, 64, "MPEG 1 Layer III, 44100 Hz, Mono"},
    {"mpeg1_48k", {"-b", "192"}, 48000, 2, 192, 192, "MPEG 1 Layer III, 48000 Hz, Joint Stereo"},
    {"mpeg2_22k", {"-b", "64"}, 22050, 2, 64, 64, "MPEG 2 Layer III, 22050 Hz, Joint Stereo"},
    {"mpeg2_vbr", {"-V", "5"}, 16000, 1, 8, 160, "MPEG 2 Layer III, 16000 Hz, Mono, VBR"},
    {"mpeg25_11k", {"-b", "32"}, 11025, 2, 32, 32, "MPEG 2.5 Layer III, 11025 Hz, Joint Stereo"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(LameModes, ExactLength, ::testing::ValuesIn(kLameModes),
                         [](const auto& info) { return std::string(info.param.name); });

// Without an info frame the length is estimated from the walked frame count
// and LAME's usual delay and padding: never further off than one frame, and
// at 44.1 kHz a whole CD frame length comes out exact or one CD frame off.
TEST(PlayLength, WithoutInfoFrameStaysWithinTolerance) {
    test::TempDir dir;
    Mp3Info* info = static_cast<Mp3Info*>(CreateMp3Info());
    std::srand(7);
    int exact = 0;
    const int runs = 12;
    for (int i = 0; i < runs; ++i) {
        const long samples = 588L * (1000 + std::rand() % 3000);
        const std::vector<std::string> args =
            i % 3 == 0   ? std::vector<std::string>{"-t", "-b", "128"}
            : i % 3 == 1 ? std::vector<std::string>{"-t", "-V", "4"}
                         : std::vector<std::string>{"-t", "-p", "-b", "192"};
        const std::string path = test::MakeMp3(dir.path(), "t.mp3", samples, args);
        ASSERT_EQ(info->Open(path), 0);
        EXPECT_FALSE(info->Stream().hasInfoFrame);
        EXPECT_TRUE(info->Stream().walked);
        EXPECT_FALSE(info->Length().exact);
        if (i % 3 == 0) {
            EXPECT_EQ(info->GetFileType(), kJoint44);
            EXPECT_EQ(info->GetBitrate(), 128);
        }
        const long error = static_cast<long>(info->Length().samples) - samples;
        EXPECT_LE(std::labs(error), 588) << samples;
        EXPECT_EQ(error % 588, 0) << samples;
        exact += error == 0;
        std::int32_t low = 0;
        std::int32_t high = 0;
        info->GetCdFrameRange(low, high);
        EXPECT_TRUE(low <= samples / 588 && samples / 588 <= high && high - low <= 1) << low;
    }
    info->Release();
    // Two CD frames fit LAME's padding range; the silent granules at the end
    // tell which one it is, but for padding near their borders.
    EXPECT_GE(exact, runs * 2 / 3);
}

TEST(PlayLength, SilentEndingFallsBackToTheMiddle) {
    test::TempDir dir;
    Mp3Info* info = static_cast<Mp3Info*>(CreateMp3Info());
    const long samples = 588L * 2345;
    test::SignalEnd end;
    end.fadeOut = 44100;
    end.silence = 44100;
    const std::string path =
        test::MakeMp3(dir.path(), "s.mp3", samples, {"-t", "-b", "128"}, 2, 44100, 3, end);
    ASSERT_EQ(info->Open(path), 0);
    EXPECT_GE(info->Stream().trailingSilentGranules, 3);
    const long error = static_cast<long>(info->Length().samples) - samples;
    EXPECT_LE(std::labs(error), 576);
    EXPECT_EQ(info->Length().samples,
              ComputePlayLength(info->Stream(), LengthEstimate::Middle).samples);

    // Music up to the last sample: the padding shows in at most two granules.
    const std::string loud = test::MakeMp3(dir.path(), "l.mp3", samples, {"-t", "-b", "128"});
    ASSERT_EQ(info->Open(loud), 0);
    EXPECT_LE(info->Stream().trailingSilentGranules, 2);
    info->Release();
}

// ffmpeg's files: libmp3lame's info frame gives the exact length; libshine's
// gives delay and padding 0, and the length is an estimate whose range holds
// the true one.
TEST(PlayLength, FfmpegEncoders) {
    if (!test::HaveProgram("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    test::TempDir dir;
    Mp3Info* info = static_cast<Mp3Info*>(CreateMp3Info());
    const long samples = 588L * 1234;
    ASSERT_TRUE(test::WriteWav(dir.File("in.wav"), samples));
    for (const char* codec : {"libmp3lame", "libshine"}) {
        SCOPED_TRACE(codec);
        const std::string out = dir.File(std::string(codec) + ".mp3");
        ASSERT_EQ(test::RunProcess({"ffmpeg", "-v", "error", "-i", dir.File("in.wav"), "-c:a",
                                    codec, "-b:a", "128k", out}),
                  0);
        ASSERT_EQ(info->Open(out), 0);
        const bool shine = std::string(codec) == "libshine";
        EXPECT_EQ(info->IsLengthExact(), shine ? 0 : 1);
        std::int32_t low = 0;
        std::int32_t high = 0;
        info->GetCdFrameRange(low, high);
        EXPECT_TRUE(low <= 1234 && 1234 <= high && high - low <= (shine ? 4 : 0)) << low << high;
        EXPECT_NEAR(info->GetPlayTime(), samples / 44100.0, shine ? 0.014 : 1e-9);
    }
    info->Release();
}

}  // namespace
}  // namespace corvane
