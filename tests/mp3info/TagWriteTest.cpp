#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <map>
#include <sstream>
#include <string>

#include "Mp3Fixtures.h"
#include "Mp3Info.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

// Frame key -> (text encoding, value) as mutagen sees the raw tag.
using FrameMap = std::map<std::string, std::pair<int, std::string>>;

const char* kReadScript = R"py(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False)
print("VERSION\t-1\t%d.%d" % (t.version[1], t.version[2]))
for key, f in t.items():
    enc = getattr(f, "encoding", None)
    enc = -1 if enc is None else int(enc)
    if f.FrameID == "APIC": val = "%s:%d" % (f.mime, len(f.data))
    elif f.FrameID == "RVA2": val = "%.2f" % f.gain
    elif f.FrameID == "USLT": val = f.text
    elif hasattr(f, "text"): val = "/".join(str(x) for x in f.text)
    else: val = "?"
    print("%s\t%d\t%s" % (key, enc, val.replace("\n", "|")))
)py";

// A v2.x tag with frames of every kind that must survive our writes.
const char* kPrepareScript = R"py(
import sys
from mutagen.id3 import ID3, TIT2, APIC, USLT, TXXX, RVA2, TSOP, TMOO, COMM, TPE1
t = ID3()
t.add(TIT2(encoding=3, text="Old title"))
t.add(TPE1(encoding=3, text="Old artist"))
t.add(APIC(encoding=0, mime="image/png", type=3, desc="cover",
           data=b"\x89PNG" + b"\xff\xfb\x90\x64" * int(sys.argv[3])))
t.add(USLT(encoding=3, lang="eng", desc="", text="la la la\nsecond line"))
t.add(TXXX(encoding=3, desc="REPLAYGAIN_TRACK_GAIN", text="-6.50 dB"))
t.add(RVA2(desc="track", channel=1, gain=-6.5, peak=0.9))
t.add(TSOP(encoding=3, text="Sortname, The"))
t.add(TMOO(encoding=3, text="Calm"))
t.add(COMM(encoding=3, lang="eng", desc="iTunNORM", text="0000"))
t.add(COMM(encoding=3, lang="eng", desc="", text="old comment"))
t.save(sys.argv[1], v2_version=int(sys.argv[2]), padding=lambda info: int(sys.argv[4]))
)py";

std::size_t LeadingTagSize(const std::string& data) {
    if (data.size() < 10 || data.compare(0, 3, "ID3") != 0) {
        return 0;
    }
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i) {
        size = (size << 7) | (static_cast<unsigned char>(data[i]) & 0x7F);
    }
    return 10 + size;
}

// The bytes after the leading ID3v2 tag (and before an ID3v1 tag).
std::string AudioOf(const std::string& data, bool id3v1 = false) {
    const std::size_t start = LeadingTagSize(data);
    const std::size_t end = id3v1 ? data.size() - 128 : data.size();
    return data.substr(start, end - start);
}

class TagWrite : public ::testing::Test {
protected:
    void SetUp() override {
        if (test::MutagenPython().empty()) {
            GTEST_SKIP() << "mutagen is not installed";
        }
        path_ = test::MakeMp3(dir_.path(), "w.mp3", 44100 * 2, {"-V", "4"});
        ASSERT_FALSE(path_.empty());
        info_ = CreateMp3Info();
    }
    void TearDown() override {
        if (info_ != nullptr) {
            info_->Release();
        }
    }

    FrameMap ReadFrames() {
        std::string out;
        EXPECT_EQ(test::RunPython(kReadScript, {path_}, &out), 0);
        FrameMap frames;
        std::istringstream lines(out);
        std::string line;
        while (std::getline(lines, line)) {
            const auto a = line.find('\t');
            const auto b = line.find('\t', a + 1);
            if (a != std::string::npos && b != std::string::npos) {
                frames[line.substr(0, a)] = {std::stoi(line.substr(a + 1, b - a - 1)),
                                             line.substr(b + 1)};
            }
        }
        return frames;
    }

    void Prepare(int version, int pictureWords, int padding) {
        ASSERT_EQ(test::RunPython(kPrepareScript,
                                  {path_, std::to_string(version), std::to_string(pictureWords),
                                   std::to_string(padding)}),
                  0);
    }

    std::string Bytes() {
        std::string data;
        EXPECT_TRUE(test::ReadFileBytes(path_, data));
        return data;
    }

    int Write(const std::string& title, const std::string& year = "1999",
              const std::string& comment = "new comment", const std::string& track = "Track 07") {
        EXPECT_EQ(info_->Open(path_), 0);
        return info_->WriteTag(title, "Artist", "Album", year, comment, track, "Rock");
    }

    test::TempDir dir_;
    std::string path_;
    Mp3InfoObject* info_ = nullptr;
};

const std::string kUnicodeTitle = "Ünïcødé – 日本語のタイトル, longer than thirty-two bytes";

TEST_F(TagWrite, NewTagIsId3v23ThatMutagenEyeD3AndWeReadBack) {
    const std::string before = Bytes();
    ASSERT_EQ(Write(kUnicodeTitle), 0);
    const std::string after = Bytes();
    EXPECT_GT(after.size(), before.size());
    EXPECT_EQ(AudioOf(after), before);
    // Room for later edits.
    EXPECT_GE(LeadingTagSize(after), 2048u);

    const FrameMap frames = ReadFrames();
    EXPECT_EQ(frames.at("VERSION").second, "3.0");
    EXPECT_EQ(frames.at("TIT2"), std::make_pair(1, kUnicodeTitle));          // UTF-16
    EXPECT_EQ(frames.at("TPE1"), std::make_pair(0, std::string("Artist")));  // Latin-1
    EXPECT_EQ(frames.at("TALB").second, "Album");
    EXPECT_EQ(frames.at("TYER").second, "1999");
    EXPECT_EQ(frames.at("TRCK").second, "7");
    EXPECT_EQ(frames.at("TCON").second, "Rock");
    EXPECT_EQ(frames.at("COMM::eng").second, "new comment");
    EXPECT_EQ(frames.count("TDRC"), 0u);

    ASSERT_EQ(info_->Open(path_), 0);
    EXPECT_EQ(info_->GetTitle(), kUnicodeTitle);
    EXPECT_EQ(info_->GetYear(), 1999);
    EXPECT_EQ(info_->GetTrack(), 7);
    EXPECT_EQ(info_->GetAuxValue(), 44100 * 2);

    if (test::HaveProgram("eyeD3")) {
        std::string out;
        ASSERT_EQ(test::RunProcess({"eyeD3", "--no-color", path_}, &out), 0);
        EXPECT_NE(out.find("ID3 v2.3"), std::string::npos) << out;
        EXPECT_NE(out.find(kUnicodeTitle), std::string::npos) << out;
        EXPECT_NE(out.find("track: 7"), std::string::npos) << out;
    }
}

TEST_F(TagWrite, TagWithRoomIsRewrittenInPlaceKeepingOtherFrames) {
    Prepare(4, 500, 8000);
    const std::string before = Bytes();
    ASSERT_EQ(Write("New title"), 0);
    const std::string after = Bytes();
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(LeadingTagSize(after), LeadingTagSize(before));
    EXPECT_EQ(AudioOf(after), AudioOf(before));

    const FrameMap frames = ReadFrames();
    EXPECT_EQ(frames.at("VERSION").second, "3.0");
    EXPECT_EQ(frames.at("TIT2").second, "New title");
    EXPECT_EQ(frames.at("APIC:cover").second, "image/png:2004");
    EXPECT_EQ(frames.at("USLT::eng").second, "la la la|second line");
    EXPECT_EQ(frames.at("TXXX:REPLAYGAIN_TRACK_GAIN").second, "-6.50 dB");
    EXPECT_EQ(frames.at("RVA2:track").second, "-6.50");
    EXPECT_EQ(frames.at("TSOP").second, "Sortname, The");
    EXPECT_EQ(frames.at("TMOO").second, "Calm");
    EXPECT_EQ(frames.at("COMM:iTunNORM:eng").second, "0000");
    EXPECT_EQ(frames.at("COMM::eng").second, "new comment");
}

TEST_F(TagWrite, TagThatMustGrowIsWrittenAsACopyWithThePermissions) {
    Prepare(3, 20, 0);
    ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
    const std::string before = Bytes();
    ASSERT_EQ(Write(kUnicodeTitle + kUnicodeTitle), 0);
    const std::string after = Bytes();
    EXPECT_GT(after.size(), before.size());
    EXPECT_EQ(AudioOf(after), AudioOf(before));
    struct stat st {};
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const FrameMap frames = ReadFrames();
    EXPECT_EQ(frames.at("TIT2").second, kUnicodeTitle + kUnicodeTitle);
    EXPECT_EQ(frames.at("APIC:cover").second, "image/png:84");
    EXPECT_EQ(frames.at("RVA2:track").second, "-6.50");
    // No temporary file is left beside it.
    std::string listing;
    test::RunProcess({"ls", "-A", dir_.path()}, &listing);
    EXPECT_EQ(listing, "w.mp3\n");

    // The copy left room: the next edit happens in place.
    const std::string grown = Bytes();
    ASSERT_EQ(Write("Short"), 0);
    EXPECT_EQ(Bytes().size(), grown.size());
    EXPECT_EQ(AudioOf(Bytes()), AudioOf(before));
}

TEST_F(TagWrite, EmptyValuesRemoveTheirFrames) {
    Prepare(4, 1, 4000);
    ASSERT_EQ(Write("T", "0", "", " - "), 0);
    FrameMap frames = ReadFrames();
    EXPECT_EQ(frames.count("TYER"), 0u);
    EXPECT_EQ(frames.count("TRCK"), 0u);
    EXPECT_EQ(frames.count("COMM::eng"), 0u);
    EXPECT_EQ(frames.count("COMM:iTunNORM:eng"), 1u);
    ASSERT_EQ(info_->Open(path_), 0);
    EXPECT_EQ(info_->GetYear(), 0);
    EXPECT_EQ(info_->GetTrack(), -1);

    ASSERT_EQ(Write("T", "", "c", "12"), 0);
    frames = ReadFrames();
    EXPECT_EQ(frames.count("TYER"), 0u);
    EXPECT_EQ(frames.at("TRCK").second, "12");
}

TEST_F(TagWrite, Id3v1IsUpdatedWhenPresentAndNeverAdded) {
    ASSERT_EQ(Write("No v1"), 0);
    std::string data = Bytes();
    ASSERT_GE(data.size(), 128u);
    EXPECT_NE(data.compare(data.size() - 128, 3, "TAG"), 0);

    std::string v1 = "TAG" + std::string(125, '\0');
    v1.replace(3, 9, "Old title");
    v1[127] = '\xFF';
    ASSERT_TRUE(test::WriteFileBytes(path_, data + v1));
    const std::string before = Bytes();
    ASSERT_EQ(Write("New v1 title"), 0);
    data = Bytes();
    EXPECT_EQ(data.size(), before.size());
    ASSERT_EQ(data.compare(data.size() - 128, 3, "TAG"), 0);
    EXPECT_EQ(data.substr(data.size() - 125, 12), "New v1 title");
    EXPECT_EQ(static_cast<unsigned char>(data[data.size() - 2]), 7);   // track
    EXPECT_EQ(static_cast<unsigned char>(data[data.size() - 1]), 17);  // Rock
    EXPECT_EQ(AudioOf(data, true), AudioOf(before, true));
}

TEST_F(TagWrite, ReadOnlyFileIsLeftUntouched) {
    Prepare(3, 1, 0);
    const std::string before = Bytes();
    ASSERT_EQ(info_->Open(path_), 0);
    ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
    EXPECT_EQ(info_->WriteTag("x", "y", "z", "2000", "c", "1", "Pop"), EACCES);
    EXPECT_EQ(Bytes(), before);
}

TEST_F(TagWrite, RepeatedWritesWithoutReopening) {
    const std::string before = Bytes();
    ASSERT_EQ(info_->Open(path_), 0);
    ASSERT_EQ(info_->WriteTag("one", "a", "b", "1999", "c", "1", "Rock"), 0);
    const std::string longer(5000, 'x');  // more than the room left by the first write
    ASSERT_EQ(info_->WriteTag(longer, "a", "b", "1999", "c", "2", "Rock"), 0);
    ASSERT_EQ(info_->WriteTag("three", "a", "b", "1999", "c", "3", "Rock"), 0);
    EXPECT_EQ(AudioOf(Bytes()), before);
    EXPECT_EQ(info_->GetTitle(), "three");
    EXPECT_EQ(info_->GetTrack(), 3);
}

TEST_F(TagWrite, SymbolicLinkKeepsPointingAtTheWrittenFile) {
    const std::string link = dir_.File("link.mp3");
    ASSERT_EQ(::symlink(path_.c_str(), link.c_str()), 0);
    const std::string before = Bytes();
    ASSERT_EQ(info_->Open(link), 0);
    ASSERT_EQ(info_->WriteTag("via link", "a", "b", "", "", "", ""), 0);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(AudioOf(Bytes()), before);
    ASSERT_EQ(info_->Open(path_), 0);
    EXPECT_EQ(info_->GetTitle(), "via link");
}

TEST_F(TagWrite, LeadingTagWithSizePastTheEndIsReplaced) {
    const std::string audio = Bytes();
    const std::string broken = std::string("ID3\x03\0\0\x7F\x7F\x7F\x7F", 10) + "garbage";
    ASSERT_TRUE(test::WriteFileBytes(path_, broken + audio));
    ASSERT_EQ(Write("fixed"), 0);
    EXPECT_EQ(AudioOf(Bytes()), audio);
    ASSERT_EQ(info_->Open(path_), 0);
    EXPECT_EQ(info_->GetTitle(), "fixed");
    EXPECT_EQ(info_->GetAuxValue(), 44100 * 2);
}

TEST_F(TagWrite, FullDateAndTrackTotalStayWhenTheNumbersDoNotChange) {
    const std::string script = R"py(
import sys
from mutagen.id3 import ID3, TDRC, TRCK
t = ID3()
t.add(TDRC(encoding=0, text="2003-05-01"))
t.add(TRCK(encoding=0, text="3/12"))
t.save(sys.argv[1], v2_version=4)
)py";
    ASSERT_EQ(test::RunPython(script, {path_}), 0);
    ASSERT_EQ(Write("t", "2003", "c", "Track 03"), 0);
    FrameMap frames = ReadFrames();
    EXPECT_EQ(frames.at("TYER").second, "2003");
    EXPECT_EQ(frames.at("TDAT").second, "0105");
    EXPECT_EQ(frames.at("TRCK").second, "3/12");

    ASSERT_EQ(Write("t", "2004", "c", "4"), 0);
    frames = ReadFrames();
    EXPECT_EQ(frames.at("TYER").second, "2004");
    EXPECT_EQ(frames.count("TDAT"), 0u);
    EXPECT_EQ(frames.at("TRCK").second, "4");
}

}  // namespace
}  // namespace corvane
