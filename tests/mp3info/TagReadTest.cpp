#include <gtest/gtest.h>

#include <string>

#include "Id3TagReader.h"
#include "Mp3Fixtures.h"
#include "Mp3Info.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

class TagRead : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = test::MakeMp3(dir_.path(), "r.mp3", 44100, {"-b", "128"});
        ASSERT_FALSE(path_.empty());
        info_ = CreateMp3Info();
    }
    void TearDown() override { info_->Release(); }

    // The fields of the file as the component reads them, "|" between them:
    // title, artist, album, year, track, genre, comment.
    std::string Fields() {
        EXPECT_EQ(info_->Open(path_), 0);
        EXPECT_NE(info_->HasTag(), 0);
        return info_->GetTitle() + "|" + info_->GetArtist() + "|" + info_->GetAlbum() + "|" +
               std::to_string(info_->GetYear()) + "|" + std::to_string(info_->GetTrack()) + "|" +
               info_->GetGenre() + "|" + info_->GetComment();
    }

    test::TempDir dir_;
    std::string path_;
    Mp3InfoObject* info_ = nullptr;
};

const std::string kLongTitle =
    "A title far longer than thirty-two bytes, which the old component cut off";
const std::string kUnicodeTitle = "Ünïcødé – 日本語のタイトル";

TEST_F(TagRead, TagsWrittenByEyeD3) {
    if (!test::HaveProgram("eyeD3")) {
        GTEST_SKIP() << "eyeD3 is not installed";
    }
    ASSERT_EQ(test::RunProcess({"eyeD3", "--no-color", "-Q", "-t", kUnicodeTitle, "-a", kLongTitle,
                                "-A", "Album", "-Y", "1999", "-n", "7", "-G", "Rock", "-c",
                                "a comment", path_}),
              0);
    EXPECT_EQ(Fields(), kUnicodeTitle + "|" + kLongTitle + "|Album|1999|7|Rock|a comment");
    // The tag in front of the audio changes nothing in the length.
    EXPECT_EQ(info_->GetAuxValue(), 44100);

    ASSERT_EQ(test::RunProcess({"eyeD3", "--no-color", "-Q", "--to-v2.3", "-n", "12", path_}), 0);
    ASSERT_EQ(info_->Open(path_), 0);
    EXPECT_EQ(info_->GetTitle() + "|" + std::to_string(info_->GetTrack()), kUnicodeTitle + "|12");
}

TEST_F(TagRead, TagsWrittenByMutagen) {
    if (test::MutagenPython().empty()) {
        GTEST_SKIP() << "mutagen is not installed";
    }
    // Data other programs keep in a described comment is not the comment.
    const std::string script = R"py(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, TRCK, TCON, COMM, TXXX, MCDI
t = ID3()
t.add(TIT2(encoding=3, text=sys.argv[2]))
t.add(TPE1(encoding=1, text="Artiste"))
t.add(TALB(encoding=0, text="Album"))
t.add(TDRC(encoding=0, text="2003-05-01"))
t.add(TRCK(encoding=0, text="0/12"))
t.add(TCON(encoding=0, text="(17)"))
if sys.argv[4] == "plain": t.add(COMM(encoding=3, lang="eng", desc="", text="plain"))
t.add(COMM(encoding=3, lang="eng", desc="iTunNORM", text="0000"))
t.add(TXXX(encoding=1, desc="iTunes_CDDB_1", text="0A000C03+1000+1+150"))
t.add(TXXX(encoding=3, desc="MusicBrainz Disc Id", text="mb.Id-"))
t.add(MCDI(data=b"\x00\x12\x01\x01" + bytes(8) + b"\x00\x10\xaa\x00\x00\x00\x03\x52"))
t.save(sys.argv[1], v2_version=int(sys.argv[3]))
)py";
    for (const auto& [version, comment] :
         {std::pair<std::string, std::string>{"4", "plain"}, {"3", "plain"}, {"3", ""}}) {
        SCOPED_TRACE(version + comment);
        ASSERT_EQ(test::RunPython(script, {path_, kLongTitle + kUnicodeTitle, version, comment}),
                  0);
        // "0" is a track number, not "none"; genre "(17)" is Rock.
        EXPECT_EQ(Fields(), kLongTitle + kUnicodeTitle + "|Artiste|Album|2003|0|Rock|" + comment);
        EXPECT_EQ(info_->GetDiscTag(DiscTag::kItunesCddb), "0A000C03+1000+1+150");
        EXPECT_EQ(info_->GetDiscTag(DiscTag::kMusicBrainzId), "mb.Id-");
        EXPECT_EQ(info_->GetDiscTag(DiscTag::kCdToc).size(), 20u);
        EXPECT_EQ(info_->GetDiscTag(DiscTag::kCddbId), "");
    }
}

TEST_F(TagRead, Id3v1Only) {
    std::string data;
    ASSERT_TRUE(test::ReadFileBytes(path_, data));
    const auto field = [](const std::string& text, std::size_t n) {
        std::string f = text.substr(0, n);
        f.resize(n, '\0');
        return f;
    };
    const std::string v1 = "TAG" + field("Old Title", 30) + field("Old Artist", 30) +
                           field("Old Album", 30) + "1987" + field("v1 comment", 28) +
                           std::string("\0\x05\x08", 3);  // track 5, genre 8 = Jazz
    ASSERT_EQ(v1.size(), 128u);
    ASSERT_TRUE(test::WriteFileBytes(path_, data + v1));
    EXPECT_EQ(Fields(), "Old Title|Old Artist|Old Album|1987|5|Jazz|v1 comment");
    EXPECT_EQ(info_->GetAuxValue(), 44100);
}

TEST(TrackNumber, TakesTheLeadingNumberOfTheText) {
    const std::pair<const char*, int> cases[] = {
        {"7", 7},    {"07", 7}, {"Track 07", 7}, {"Track 12", 12},       {"3/12", 3},
        {" - ", -1}, {"", -1},  {"/12", -1},     {"99999999999999", -1},
    };
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(ParseTrackNumber(text), number) << text;
    }
}

}  // namespace
}  // namespace corvane
