#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "FileHandle.h"
#include "Id3TagWriter.h"
#include "Mp3Fixtures.h"
#include "Mp3Info.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

// Compares the raw tag as mutagen sees it with "KEY=value;KEY=value" (an
// empty value: no such frame; "KEY#enc": its text encoding) and prints what
// differs.
const char* kCheckScript = R"py(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False)
got = {"VERSION": "%d.%d" % (t.version[1], t.version[2])}
for key, f in t.items():
    if getattr(f, "encoding", None) is not None: got[key + "#enc"] = str(int(f.encoding))
    if f.FrameID == "APIC": got[key] = "%s:%d" % (f.mime, len(f.data))
    elif f.FrameID == "RVA2": got[key] = "%.2f" % f.gain
    elif f.FrameID == "USLT": got[key] = f.text.replace("\n", "|")
    elif hasattr(f, "text"): got[key] = "/".join(str(x) for x in f.text)
for pair in sys.argv[2].split(";"):
    key, want = pair.split("=", 1)
    if got.get(key, "") != want: print("%s is %r, not %r" % (key, got.get(key, ""), want))
)py";

// An ID3v2.4 tag with frames of every kind that must survive our writes, and
// 8000 bytes of room.
const char* kPrepareScript = R"py(
import sys
from mutagen.id3 import ID3, TIT2, APIC, USLT, TXXX, RVA2, TSOP, TMOO, COMM, TPE1, TDRC, TRCK
t = ID3()
t.add(TIT2(encoding=3, text="Old title"))
t.add(TDRC(encoding=0, text="2003-05-01"))
t.add(TRCK(encoding=0, text="3/12"))
t.add(TPE1(encoding=3, text="Old artist"))
t.add(APIC(encoding=0, mime="image/png", type=3, desc="cover",
           data=b"\x89PNG" + b"\xff\xfb\x90\x64" * 500))
t.add(USLT(encoding=3, lang="eng", desc="", text="la la la\nsecond line"))
t.add(TXXX(encoding=3, desc="REPLAYGAIN_TRACK_GAIN", text="-6.50 dB"))
t.add(RVA2(desc="track", channel=1, gain=-6.5, peak=0.9))
t.add(TSOP(encoding=3, text="Sortname, The"))
t.add(TMOO(encoding=3, text="Calm"))
t.add(COMM(encoding=3, lang="eng", desc="iTunNORM", text="0000"))
t.add(COMM(encoding=3, lang="eng", desc="", text="old comment"))
t.save(sys.argv[1], v2_version=4, padding=lambda info: 8000)
)py";

// The bytes after the leading ID3v2 tag.
std::string AudioOf(const std::string& data) {
    return data.substr(test::LeadingTagSize(data));
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

    void ExpectFrames(const std::string& expected) {
        std::string differences;
        ASSERT_EQ(test::RunPython(kCheckScript, {path_, expected}, &differences), 0);
        EXPECT_EQ(differences, "");
    }

    void Prepare() { ASSERT_EQ(test::RunPython(kPrepareScript, {path_}), 0); }

    std::string Bytes(const std::string& path = {}) {
        std::string data;
        EXPECT_TRUE(test::ReadFileBytes(path.empty() ? path_ : path, data));
        return data;
    }

    int Write(const std::string& title, const std::string& year = "1999",
              const std::string& comment = "new comment", const std::string& track = "Track 07") {
        EXPECT_EQ(info_->Open(path_), 0);
        return info_->WriteTag(title, "Artist", "Album", year, comment, track, "Rock");
    }

    std::set<std::string> Listing() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    test::TempDir dir_;
    std::string path_;
    Mp3InfoObject* info_ = nullptr;
};

const std::string kUnicodeTitle = "Ünïcødé – 日本語のタイトル, longer than thirty-two bytes";

TEST_F(TagWrite, NewTagIsId3v23ThatMutagenEyeD3AndWeReadBack) {
    const std::string before = Bytes();
    ASSERT_EQ(Write(kUnicodeTitle), 0);
    EXPECT_EQ(AudioOf(Bytes()), before);
    EXPECT_GE(test::LeadingTagSize(Bytes()), 2048u);  // room for later edits
    // UTF-16 for the title, Latin-1 where it suffices.
    ExpectFrames("VERSION=3.0;TIT2=" + kUnicodeTitle +
                 ";TIT2#enc=1;TPE1=Artist;TPE1#enc=0;TALB=Album;TYER=1999;TRCK=7;TCON=Rock;"
                 "COMM::eng=new comment;TDRC=");
    ASSERT_EQ(info_->Open(path_), 0);
    EXPECT_EQ(info_->GetTitle(), kUnicodeTitle);
    EXPECT_EQ(info_->GetAuxValue(), 44100 * 2);
    if (test::HaveProgram("eyeD3")) {
        std::string out;
        ASSERT_EQ(test::RunProcess({"eyeD3", "--no-color", path_}, &out), 0);
        for (const std::string& text :
             {std::string("ID3 v2.3"), kUnicodeTitle, std::string("track: 7")}) {
            EXPECT_NE(out.find(text), std::string::npos) << out;
        }
    }
}

// Without reopening: a tag with room is rewritten in place, one that must
// grow is written as a copy with the file's permissions and room to spare for
// the next edit; every other frame stays, those of ID3v2.4 too.
TEST_F(TagWrite, OtherFramesStayInPlaceAndWhenTheTagGrows) {
    Prepare();
    ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
    const std::string before = Bytes();
    ASSERT_EQ(info_->Open(path_), 0);
    const std::string titles[] = {"New title", std::string(9000, 'x'), kUnicodeTitle};
    std::size_t sizes[3] = {};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(info_->WriteTag(titles[i], "a", "b", "1999", "new comment", "3", "Rock"), 0);
        sizes[i] = Bytes().size();
        EXPECT_EQ(AudioOf(Bytes()), AudioOf(before));
        EXPECT_EQ(info_->GetTitle(), titles[i]);
        ExpectFrames("VERSION=3.0;TIT2=" + titles[i] +
                     ";APIC:cover=image/png:2004;USLT::eng=la la la|second line;"
                     "TXXX:REPLAYGAIN_TRACK_GAIN=-6.50 dB;RVA2:track=-6.50;TSOP=Sortname, The;"
                     "TMOO=Calm;COMM:iTunNORM:eng=0000;COMM::eng=new comment;TRCK=3/12");
    }
    EXPECT_EQ(sizes[0], before.size());
    EXPECT_GT(sizes[1], before.size());
    EXPECT_EQ(sizes[2], sizes[1]);
    struct stat st {};
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Listing(), std::set<std::string>{"w.mp3"});  // no copy left beside it
}

// Numbers that only repeat what the tag holds keep its full date and track
// total; "0", " - " and empty values remove their frames.
TEST_F(TagWrite, NumbersAndEmptyValues) {
    Prepare();
    const struct {
        const char *year, *comment, *track, *frames;
    } steps[] = {
        {"2003", "c", "Track 03", "TYER=2003;TDAT=0105;TRCK=3/12"},
        {"2004", "c", "4", "TYER=2004;TDAT=;TRCK=4"},
        {"0", "", " - ", "TYER=;TRCK=;COMM::eng="},
        {"", "c", "12", "TYER=;TRCK=12;COMM:iTunNORM:eng=0000"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.year);
        ASSERT_EQ(Write("t", step.year, step.comment, step.track), 0);
        ExpectFrames(step.frames);
    }
}

TEST_F(TagWrite, ReadOnlyFileIsLeftUntouched) {
    const std::string before = Bytes();
    ASSERT_EQ(info_->Open(path_), 0);
    ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
    EXPECT_EQ(info_->WriteTag("x", "y", "z", "2000", "c", "1", "Pop"), EACCES);
    EXPECT_EQ(info_->GetWriteError(), "the file is read-only");
    EXPECT_EQ(Bytes(), before);
}

// A copy that replaced the file hands the old one back, open but no longer
// named, so that its blocks are freed in the background; a tag written in
// place replaces nothing.
TEST_F(TagWrite, ReplacedFileIsHandedBackOnlyAfterACopy) {
    struct stat old {};
    ASSERT_EQ(::stat(path_.c_str(), &old), 0);
    for (const std::string& title : {std::string(3000, 'x'), std::string("fits")}) {
        FileHandle replaced;
        const TagWriteResult result =
            WriteId3Tag(path_, {title, "a", "b", "", "", "", ""}, &replaced);
        ASSERT_EQ(result.error, 0) << result.reason;
        struct stat st {};
        const bool copied = title.size() > 100;
        ASSERT_EQ(replaced.IsOpen(), copied);
        if (copied) {
            ASSERT_EQ(::fstat(replaced.fd(), &st), 0);
            EXPECT_EQ(st.st_ino, old.st_ino);
            EXPECT_EQ(st.st_nlink, 0u);
        }
    }
}

// A deferred batch changes no file until its flush, which puts every copy in
// place, and leaves a file that changed meanwhile as it is, its copy gone.
TEST_F(TagWrite, DeferredBatchIsInPlaceOnlyAfterItsFlush) {
    const std::string inPlace = dir_.File("b.mp3");
    const std::string changed = dir_.File("c.mp3");
    std::filesystem::copy_file(path_, inPlace);
    std::filesystem::copy_file(path_, changed);
    ASSERT_EQ(info_->Open(inPlace), 0);
    ASSERT_EQ(info_->WriteTag("gives it room", "a", "b", "", "", "", ""), 0);
    const std::string before = Bytes();
    info_->SetDeferredWrites(true);
    for (const std::string& file : {path_, inPlace, changed}) {
        ASSERT_EQ(info_->Open(file), 0);
        ASSERT_EQ(info_->WriteTag("deferred", "a", "b", "", "", "", ""), 0)
            << info_->GetWriteError();
    }
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Listing().size(), 5u);  // the two copies wait beside their files
    std::string changedBytes = Bytes(changed) + "x";
    ASSERT_TRUE(test::WriteFileBytes(changed, changedBytes));
    const std::vector<DeferredWriteFailure> failures = info_->FlushWrites();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].path, changed);
    EXPECT_EQ(failures[0].error, EBUSY);
    EXPECT_EQ(Bytes(changed), changedBytes);
    EXPECT_EQ(Listing(), (std::set<std::string>{"w.mp3", "b.mp3", "c.mp3"}));
    for (const std::string& file : {path_, inPlace}) {
        ASSERT_EQ(info_->Open(file), 0);
        EXPECT_EQ(info_->GetTitle(), "deferred");
    }
    EXPECT_EQ(AudioOf(Bytes()), AudioOf(before));
}

// Through a symbolic link the file it points at is written; a name so long
// that a copy's name cannot simply add to it still gets its tag.
TEST_F(TagWrite, LinkAndLongNameKeepTheirFile) {
    std::string name;
    while (name.size() < 246) {
        name += "é";
    }
    name += ".mp3";
    const std::string target = dir_.File(name);
    ASSERT_EQ(::rename(path_.c_str(), target.c_str()), 0);
    const std::string link = dir_.File("link.mp3");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    const std::string before = Bytes(target);
    ASSERT_EQ(info_->Open(link), 0);
    ASSERT_EQ(info_->WriteTag("via link", "a", "b", "", "", "", ""), 0) << info_->GetWriteError();
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(AudioOf(Bytes(target)), before);
    EXPECT_EQ(Listing(), (std::set<std::string>{"link.mp3", name}));
}

}  // namespace
}  // namespace corvane
