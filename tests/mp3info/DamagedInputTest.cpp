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
    EXPECT_NE(object->WriteTag("t", "a", "b", "1999", "c", "1", "Rock"), 0);
    object->Release();
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

// Tags before and after the audio, and junk before it or between its frames
// (with stray sync bytes): the same frames, the junk counted as skipped.
TEST_F(DamagedInput, TagsAndJunkAroundTheAudioAreSkipped) {
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
    const std::string id3v1 = "TAG" + std::string(125, 'x');
    std::size_t pos = reference.firstFrameOffset;  // after the 40th frame
    for (int i = 0; i < 40; ++i) {
        MpegFrameHeader h;
        ASSERT_TRUE(ParseMpegFrameHeader(reinterpret_cast<const std::uint8_t*>(&plain_[pos]), h));
        pos += static_cast<std::size_t>(h.frameBytes);
    }
    const std::string junk = std::string(10, 'j') + "\xFF\xFB" + std::string(988, 'j');

    const std::pair<std::string, std::size_t> cases[] = {
        {id3v24 + plain_ + apeTag + id3v1, 0},
        {id3v24 + id3v24 + plain_ + lyrics3 + id3v1, 0},
        {plain_ + test::Id3v2Block(4, fake, true), 0},
        {plain_ + apeTag, 0},
        {std::string(100000, 'x') + plain_, 0},
        {plain_.substr(0, pos) + junk + plain_.substr(pos), junk.size()},
    };
    for (const auto& [data, skipped] : cases) {
        bool ok = false;
        const MpegStreamInfo info = test::ScanBytes(data, &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(info.audioFrames, reference.audioFrames);
        EXPECT_EQ(info.audioBytes, reference.audioBytes);
        EXPECT_EQ(info.skippedBytes, skipped);
    }
    // Too much of something else before it: not taken for an MP3.
    bool ok = true;
    test::ScanBytes(std::string(5 * 1024 * 1024, 'x') + plain_, &ok);
    EXPECT_FALSE(ok);
}

// A leading tag whose size field lies (past the audio, into the ID3v1 tag,
// into the middle of the audio, past the end): the scan finds the whole
// audio, and a tag write, in place or as a copy, keeps every byte of it. An
// ID3v1 tag is updated, none is added.
TEST_F(DamagedInput, LyingTagSizeKeepsTheAudioThroughTagWrites) {
    const std::string priv = "PRIV" + std::string("\0\0\x02\x58\0\0owner\0", 12) +
                             std::string(594, 'p');  // 600 bytes of frame data
    const std::string v1 = "TAG" + std::string(125, 'v');
    for (const std::string* audio : {&plain_, &vbr_}) {
        const MpegStreamInfo reference = test::ScanBytes(*audio);
        const std::size_t covered = priv.size() + audio->size();
        const std::pair<std::size_t, std::string> cases[] = {
            {covered + 60, v1}, {covered, ""}, {covered - audio->size() / 2, ""}, {0x0FFFFFFF, ""}};
        for (const auto& [claimed, tail] : cases) {
            for (const std::string& title : {std::string("t"), std::string(3000, 't')}) {
                SCOPED_TRACE(std::to_string(claimed) + " " + std::to_string(title.size()));
                const std::string data = test::Id3v2Header(3, claimed) + priv + *audio + tail;
                EXPECT_EQ(test::ScanBytes(data).audioFrames, reference.audioFrames);
                const std::string path = dir_->File("lying.mp3");
                ASSERT_TRUE(test::WriteFileBytes(path, data));
                Mp3InfoObject* object = CreateMp3Info();
                ASSERT_EQ(object->Open(path), 0);
                const int samples = object->GetAuxValue();
                EXPECT_EQ(object->WriteTag(title, "a", "b", "1999", "c", "1", "Rock"), 0)
                    << object->GetWriteError();
                std::string after;
                ASSERT_TRUE(test::ReadFileBytes(path, after));
                const std::size_t tagSize = test::LeadingTagSize(after);
                EXPECT_EQ(after.size(), tagSize + audio->size() + tail.size());
                EXPECT_TRUE(after.compare(tagSize, audio->size(), *audio) == 0);
                if (!tail.empty()) {  // the ID3v1 tag is updated: title, track 1, Rock
                    EXPECT_EQ(after.substr(after.size() - 128, 4), "TAGt");
                    EXPECT_EQ(after.substr(after.size() - 2), "\x01\x11");
                }
                ASSERT_EQ(object->Open(path), 0);
                EXPECT_EQ(object->GetTitle(), title);
                EXPECT_EQ(object->GetAuxValue(), samples);
                object->Release();
            }
        }
    }
}

}  // namespace
}  // namespace corvane
