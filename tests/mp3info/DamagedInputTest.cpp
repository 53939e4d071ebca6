#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>

#include "Mp3Fixtures.h"
#include "Mp3Info.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

class DamagedInput : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir();
        // Without info frame, so that every case walks the frames.
        const std::string path =
            test::MakeMp3(dir_->path(), "plain.mp3", 44100 * 3, {"-t", "-b", "128"});
        ASSERT_TRUE(test::ReadFileBytes(path, plain_));
        const std::string vbr = test::MakeMp3(dir_->path(), "vbr.mp3", 44100 * 3, {"-V", "3"});
        ASSERT_TRUE(test::ReadFileBytes(vbr, vbr_));
    }
    static void TearDownTestSuite() { delete dir_; }

    int OpenBytes(const std::string& data) {
        const std::string path = dir_->File("case.mp3");
        EXPECT_TRUE(test::WriteFileBytes(path, data));
        Mp3InfoObject* object = CreateMp3Info();
        const int rc = object->Open(path);
        object->Release();
        return rc;
    }

    static test::TempDir* dir_;
    static std::string plain_;
    static std::string vbr_;
};

test::TempDir* DamagedInput::dir_ = nullptr;
std::string DamagedInput::plain_;
std::string DamagedInput::vbr_;

TEST_F(DamagedInput, EmptyRandomAndMissingFilesAreRefused) {
    EXPECT_NE(OpenBytes(""), 0);
    EXPECT_NE(OpenBytes("ID3"), 0);
    std::mt19937 random(42);
    std::string noise(200000, '\0');
    for (auto& c : noise) {
        c = static_cast<char>(random());
    }
    EXPECT_NE(OpenBytes(noise), 0);
    Mp3InfoObject* object = CreateMp3Info();
    EXPECT_NE(object->Open(dir_->File("missing.mp3")), 0);
    EXPECT_NE(object->Open(dir_->path()), 0);
    // A FIFO named like an MP3 must not block the scan.
    const std::string fifo = dir_->File("fifo.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_NE(object->Open(fifo), 0);
    EXPECT_EQ(object->GetFileType(), "?");
    EXPECT_EQ(object->GetPlayTime(), 0.0);
    EXPECT_NE(object->WriteTag("t", "a", "b", "1999", "c", "1", "Rock"), 0);
    object->Release();
}

TEST_F(DamagedInput, StreamAfterTooMuchLeadingJunkIsNotTaken) {
    bool ok = false;
    test::ScanBytes(std::string(100000, 'x') + plain_, &ok);
    EXPECT_TRUE(ok);
    test::ScanBytes(std::string(5 * 1024 * 1024, 'x') + plain_, &ok);
    EXPECT_FALSE(ok);
}

TEST_F(DamagedInput, TruncatedFilesCountOnlyWholeFrames) {
    const MpegStreamInfo whole = test::ScanBytes(plain_);
    const std::string cut = plain_.substr(0, plain_.size() / 2 + 100);
    const MpegStreamInfo half = test::ScanBytes(cut);
    EXPECT_LT(half.audioFrames, whole.audioFrames);
    EXPECT_GT(half.audioFrames, whole.audioFrames / 2 - 2);
    EXPECT_TRUE(half.truncated);
    EXPECT_LE(half.audioBytes, cut.size());

    // An info frame promising more than the file holds: the frames are walked.
    const std::string vbrCut = vbr_.substr(0, vbr_.size() * 2 / 3);
    const MpegStreamInfo partial = test::ScanBytes(vbrCut);
    EXPECT_TRUE(partial.hasInfoFrame);
    EXPECT_TRUE(partial.walked);
    EXPECT_TRUE(partial.truncated);
    EXPECT_LT(partial.audioFrames, partial.info.frames);
    EXPECT_EQ(OpenBytes(vbrCut), 0);
}

TEST_F(DamagedInput, ImplausibleInfoFrameCountIsWalked) {
    const MpegStreamInfo reference = test::ScanBytes(vbr_);
    ASSERT_TRUE(reference.hasInfoFrame);
    ASSERT_FALSE(reference.walked);
    const std::size_t at = vbr_.find("Xing");
    ASSERT_NE(at, std::string::npos);
    std::string data = vbr_;
    data.replace(at + 8, 4, "\x7F\xFF\xFF\xFF");  // frames
    const MpegStreamInfo info = test::ScanBytes(data);
    EXPECT_TRUE(info.walked);
    EXPECT_EQ(info.audioFrames, reference.audioFrames);
}

TEST_F(DamagedInput, TagsAroundTheAudioAreSkipped) {
    const MpegStreamInfo reference = test::ScanBytes(plain_);
    // Bytes that look like frame headers inside the tags must not be taken.
    const std::string fake = test::SyntheticStream(0xFFFB9064, 3);
    const std::string id3v24 = test::Id3v2Block(4, fake + std::string(100, '\0'), true);
    // An APEv2 tag around the fake frames: header and footer say version 2000,
    // 1283 bytes (frames + footer), "has header".
    ASSERT_EQ(fake.size(), 1251u);
    const std::string apeFrame =
        std::string("APETAGEX\xD0\x07\0\0\x03\x05\0\0\0\0\0\0\0\0\0\x80", 24) +
        std::string(8, '\0');
    const std::string apeTag = apeFrame + fake + apeFrame;
    const std::string lyrics = "LYRICSBEGIN" + fake + "IND00003110";
    char size[7];
    std::snprintf(size, sizeof size, "%06zu", lyrics.size());
    const std::string lyrics3 = lyrics + size + "LYRICS200";
    std::string id3v1 = "TAG" + std::string(125, 'x');

    for (const std::string& data : {
             id3v24 + plain_ + apeTag + id3v1,
             id3v24 + id3v24 + plain_ + lyrics3 + id3v1,
             plain_ + test::Id3v2Block(4, fake, true),
             plain_ + apeTag,
         }) {
        bool ok = false;
        const MpegStreamInfo info = test::ScanBytes(data, &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(info.audioFrames, reference.audioFrames);
        EXPECT_EQ(info.audioBytes, reference.audioBytes);
        EXPECT_EQ(info.skippedBytes, 0u);
    }
}

TEST_F(DamagedInput, TagSizePastTheEndAndJunkBetweenFrames) {
    const MpegStreamInfo reference = test::ScanBytes(plain_);
    // Size field 0x0FFFFFFF: far past the end of the file.
    const std::string badTag = std::string("ID3\x03\0\0\x7F\x7F\x7F\x7F", 10) + "junk";
    bool ok = false;
    MpegStreamInfo info = test::ScanBytes(badTag + plain_, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(info.audioFrames, reference.audioFrames);
    EXPECT_EQ(info.firstFrameOffset, badTag.size());

    // The same with an info frame: its count still holds.
    const MpegStreamInfo vbrReference = test::ScanBytes(vbr_);
    info = test::ScanBytes(badTag + vbr_, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(info.audioFrames, vbrReference.audioFrames);
    EXPECT_TRUE(info.hasInfoFrame);

    // Junk (with stray sync bytes) in the middle of the stream.
    std::string junk(1000, 'j');
    junk[10] = '\xFF';
    junk[11] = '\xFB';
    // Cut at a real frame boundary: walk the headers to the 40th frame.
    std::size_t pos = reference.firstFrameOffset;
    for (int i = 0; i < 40; ++i) {
        MpegFrameHeader h;
        ASSERT_TRUE(ParseMpegFrameHeader(reinterpret_cast<const std::uint8_t*>(&plain_[pos]), h));
        pos += static_cast<std::size_t>(h.frameBytes);
    }
    const std::string withJunk = plain_.substr(0, pos) + junk + plain_.substr(pos);
    info = test::ScanBytes(withJunk, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(info.audioFrames, reference.audioFrames);
    EXPECT_EQ(info.skippedBytes, junk.size());
}

// Random damage: bytes changed, blocks removed or cut. Nothing may crash or
// read out of bounds (run under the sanitizer preset too), and what comes
// back stays inside the data.
TEST_F(DamagedInput, RandomMutationsNeverBreakTheScanner) {
    std::mt19937 random(1234);
    const std::string seeds[] = {plain_.substr(0, 20000), vbr_.substr(0, 20000),
                                 test::Id3v2Block(3, std::string(300, 'a')) + vbr_.substr(0, 8000)};
    for (int round = 0; round < 3000; ++round) {
        std::string data = seeds[round % 3];
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !data.empty(); ++e) {
            const std::size_t at = random() % data.size();
            switch (random() % 4) {
                case 0:
                    data[at] = static_cast<char>(random());
                    break;
                case 1:
                    data.erase(at, random() % 600);
                    break;
                case 2:
                    data.resize(at);
                    break;
                default:
                    data.insert(at, std::string(random() % 64, static_cast<char>(0xFF)));
                    break;
            }
        }
        bool ok = false;
        const MpegStreamInfo info = test::ScanBytes(data, &ok);
        if (ok) {
            ASSERT_LE(info.range.start, info.range.end);
            ASSERT_LE(info.range.end, data.size());
            ASSERT_LT(info.firstFrameOffset, data.size());
            ASSERT_LE(info.audioBytes, data.size());
            ASSERT_LE(info.skippedBytes, data.size());
            const PlayLength length = ComputePlayLength(info);
            ASSERT_GE(length.samples, 0);
            ASSERT_GE(length.Seconds(), 0.0);
        }
    }
}

}  // namespace
}  // namespace corvane
