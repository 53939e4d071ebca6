#include "Id3TagWriter.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "AudioRange.h"
#include "ByteSource.h"
#include "Id3TagReader.h"
#include "MpegStreamScanner.h"

namespace corvane {

namespace {

using TagLib::ByteVector;
using TagLib::String;

// Room left after a grown tag, so that the next edits fit in place.
constexpr std::size_t kGrowPadding = 4096;

String FromUtf8(const std::string& s) {
    return String(s, String::UTF8);
}

String::Type EncodingFor(const String& s) {
    return s.isLatin1() ? String::Latin1 : String::UTF16;
}

String::Type EncodingFor(const TagLib::StringList& list) {
    for (const auto& s : list) {
        if (!s.isLatin1()) {
            return String::UTF16;
        }
    }
    return String::Latin1;
}

void SetTextFrame(TagLib::ID3v2::Tag& tag, const char* id, const std::string& value) {
    tag.removeFrames(id);
    if (value.empty()) {
        return;
    }
    const String text = FromUtf8(value);
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, EncodingFor(text));
    frame->setText(text);
    tag.addFrame(frame);
}

// Only the plain comment (no description) is replaced; described comments
// that other programs keep there stay.
void SetComment(TagLib::ID3v2::Tag& tag, const std::string& value) {
    const String text = FromUtf8(value);
    TagLib::ID3v2::CommentsFrame* plain = nullptr;
    std::vector<TagLib::ID3v2::Frame*> extra;
    for (auto* frame : tag.frameListMap()["COMM"]) {
        auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame);
        if (comment != nullptr && comment->description().isEmpty()) {
            if (plain == nullptr) {
                plain = comment;
            } else {
                extra.push_back(frame);
            }
        }
    }
    for (auto* frame : extra) {
        tag.removeFrame(frame);
    }
    if (value.empty()) {
        if (plain != nullptr) {
            tag.removeFrame(plain);
        }
        return;
    }
    if (plain == nullptr) {
        plain = new TagLib::ID3v2::CommentsFrame(EncodingFor(text));
        plain->setLanguage("eng");
        tag.addFrame(plain);
    }
    plain->setTextEncoding(EncodingFor(text));
    plain->setText(text);
}

int YearNumber(const std::string& text) {
    const int year = ParseTrackNumber(text);
    return year > 0 ? year : 0;
}

// The text of the first frame with that id, empty when there is none.
std::string FrameText(TagLib::ID3v2::Tag& tag, const char* id) {
    const auto& frames = tag.frameListMap()[id];
    return frames.isEmpty() ? std::string() : frames.front()->toString().to8Bit(true);
}

void ApplyValues(TagLib::ID3v2::Tag& tag, const Id3WriteValues& v) {
    SetTextFrame(tag, "TIT2", v.title);
    SetTextFrame(tag, "TPE1", v.artist);
    SetTextFrame(tag, "TALB", v.album);
    SetTextFrame(tag, "TCON", v.genre);
    // A full date ("2003-05-01") or a track total ("3/12") stays when the
    // number written back is the one it starts with.
    const int year = YearNumber(v.year);
    if (year <= 0 || ParseTrackNumber(FrameText(tag, "TDRC")) != year) {
        // The year typed replaces every year the tag holds, or the old one
        // would still show where the new one is missing.
        tag.removeFrames("TYER");
        tag.removeFrames("TDRL");
        SetTextFrame(tag, "TDRC", year > 0 ? std::to_string(year) : std::string());
    }
    const int track = ParseTrackNumber(v.track);
    if (track < 0 || ParseTrackNumber(FrameText(tag, "TRCK")) != track) {
        SetTextFrame(tag, "TRCK", track >= 0 ? std::to_string(track) : std::string());
    }
    SetComment(tag, v.comment);
}

void ApplyValues(TagLib::ID3v1::Tag& tag, const Id3WriteValues& v) {
    tag.setTitle(FromUtf8(v.title));
    tag.setArtist(FromUtf8(v.artist));
    tag.setAlbum(FromUtf8(v.album));
    tag.setComment(FromUtf8(v.comment));
    tag.setGenre(FromUtf8(v.genre));
    tag.setYear(static_cast<unsigned>(YearNumber(v.year)));
    const int track = ParseTrackNumber(v.track);
    tag.setTrack(track > 0 && track < 256 ? static_cast<unsigned>(track) : 0);
}

std::uint32_t Be32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t{u[0]} << 24) | (std::uint32_t{u[1]} << 16) | (std::uint32_t{u[2]} << 8) |
           u[3];
}

void PutBe32(ByteVector& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.append(static_cast<char>((v >> shift) & 0xFF));
    }
}

// The frames of a rendered ID3v2.3 tag without header and padding, and the
// ids they carry. False when the bytes are not a well-formed tag.
bool SplitRenderedTag(const ByteVector& tag, ByteVector& frames, std::set<std::string>& ids) {
    if (tag.size() < 10 || !tag.startsWith("ID3")) {
        return false;
    }
    std::size_t pos = 10;
    while (pos + 10 <= tag.size() && tag[pos] != 0) {
        const std::uint32_t size = Be32(tag.data() + pos + 4);
        if (size > tag.size() - pos - 10) {
            return false;
        }
        ids.insert(std::string(tag.data() + pos, 4));
        pos += 10 + size;
    }
    frames = tag.mid(10, static_cast<unsigned>(pos - 10));
    return true;
}

// One frame in ID3v2.3 layout: id, plain 32-bit size, no flags. Text frames
// are re-encoded because ID3v2.3 has no UTF-8.
ByteVector RenderFrameV3(const TagLib::ID3v2::Frame& frame) {
    ByteVector rendered;
    const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(&frame);
    if (text != nullptr && frame.frameID() != "TXXX") {
        TagLib::ID3v2::TextIdentificationFrame copy(frame.frameID(),
                                                    EncodingFor(text->fieldList()));
        copy.setText(text->fieldList());
        rendered = copy.render();
    } else {
        rendered = frame.render();
    }
    ByteVector out;
    if (rendered.size() < 10) {
        return out;
    }
    const ByteVector payload = rendered.mid(10);
    out.append(frame.frameID());
    PutBe32(out, payload.size());
    out.append(ByteVector(2, '\0'));
    out.append(payload);
    return out;
}

// TagLib drops the frames that ID3v2.3 does not define (sort orders, RVA2,
// mood...) when it renders version 3; they are kept as they are. Frames it
// converts (dates, people lists) are not doubled.
ByteVector KeptV4Frames(const TagLib::ID3v2::Tag& tag, const std::set<std::string>& rendered) {
    static const std::set<std::string> converted = {"TDRC", "TDOR", "TIPL", "TMCL", "TYER",
                                                    "TDAT", "TIME", "TORY", "IPLS", "TRDA"};
    ByteVector out;
    for (const auto* frame : tag.frameList()) {
        const std::string id(frame->frameID().data(), frame->frameID().size());
        if (id.size() == 4 && rendered.count(id) == 0 && converted.count(id) == 0) {
            out.append(RenderFrameV3(*frame));
        }
    }
    return out;
}

ByteVector TagBytes(const ByteVector& frames, std::size_t total) {
    ByteVector out("ID3");
    out.append(static_cast<char>(3));
    out.append(static_cast<char>(0));
    out.append(static_cast<char>(0));
    const std::size_t body = total - 10;
    for (int shift = 21; shift >= 0; shift -= 7) {
        out.append(static_cast<char>((body >> shift) & 0x7F));
    }
    out.append(frames);
    out.append(ByteVector(static_cast<unsigned>(total - out.size()), '\0'));
    return out;
}

int WriteAllAt(int fd, const char* data, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t done = ::pwrite(fd, data, size, offset);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return done < 0 ? errno : EIO;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
        offset += done;
    }
    return 0;
}

// Copies [from, to) of in to the current end of out.
int CopyRange(int in, int out, off_t from, off_t to, off_t outPos) {
    while (from < to) {
        off_t inPos = from;
        off_t target = outPos;
        const ssize_t done =
            ::copy_file_range(in, &inPos, out, &target, static_cast<std::size_t>(to - from), 0);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            break;
        }
        from += done;
        outPos += done;
    }
    // copy_file_range may be refused across file systems: plain copy.
    std::vector<char> buffer(1 << 20);
    while (from < to) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<off_t>(to - from, static_cast<off_t>(buffer.size())));
        const ssize_t got = ::pread(in, buffer.data(), want, from);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got < 0 ? errno : EIO;
        }
        if (const int err = WriteAllAt(out, buffer.data(), static_cast<std::size_t>(got), outPos)) {
            return err;
        }
        from += got;
        outPos += got;
    }
    return 0;
}

struct Layout {
    off_t size = 0;
    off_t keepFrom = 0;          // the old file from here on follows the new tag
    std::size_t oldTagSize = 0;  // room of the tag at offset 0 (0 = none)
    bool id3v1 = false;
};

int WriteInPlace(int fd, const ByteVector& tag, const ByteVector& v1, const Layout& layout) {
    if (const int err = WriteAllAt(fd, tag.data(), tag.size(), 0)) {
        return err;
    }
    if (layout.id3v1) {
        if (const int err = WriteAllAt(fd, v1.data(), v1.size(), layout.size - 128)) {
            return err;
        }
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

void SyncFolder(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int WriteCopy(const std::string& path, int in, const struct stat& st, const ByteVector& tag,
              const ByteVector& v1, const Layout& layout) {
    std::string name = path + ".tagging-XXXXXX";
    const int out = ::mkstemp(name.data());
    if (out < 0) {
        return errno;
    }
    const off_t audioEnd = layout.id3v1 ? layout.size - 128 : layout.size;
    int err = WriteAllAt(out, tag.data(), tag.size(), 0);
    if (err == 0) {
        err = CopyRange(in, out, layout.keepFrom, audioEnd, static_cast<off_t>(tag.size()));
    }
    if (err == 0 && layout.id3v1) {
        err = WriteAllAt(out, v1.data(), v1.size(),
                         static_cast<off_t>(tag.size()) + audioEnd - layout.keepFrom);
    }
    if (err == 0 && ::fchmod(out, st.st_mode & 07777) != 0) {
        err = errno;
    }
    if (err == 0) {
        // Keeping the owner may be refused to a normal user; the copy is still good.
        [[maybe_unused]] const int ignored = ::fchown(out, st.st_uid, st.st_gid);
    }
    if (err == 0 && ::fsync(out) != 0) {
        err = errno;
    }
    if (::close(out) != 0 && err == 0) {
        err = errno;
    }
    if (err == 0 && ::rename(name.c_str(), path.c_str()) != 0) {
        err = errno;
    }
    if (err != 0) {
        ::unlink(name.c_str());
        return err;
    }
    SyncFolder(path);
    return 0;
}

}  // namespace

int WriteId3Tag(const std::string& linkPath, const Id3WriteValues& values) {
    // Renaming a copy over a symbolic link would replace the link, not the file.
    std::string path = linkPath;
    if (char* real = ::realpath(linkPath.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno;
    }
    if (!S_ISREG(st.st_mode)) {
        return EINVAL;
    }
    // The read-only attribute is the owner's write bit; honoured even for root.
    if ((st.st_mode & S_IWUSR) == 0) {
        return EACCES;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    Layout layout;
    FileByteSource source;
    int err = source.Open(path);
    if (err == 0) {
        const AudioRange range = FindAudioRange(source);
        layout.size = static_cast<off_t>(source.Size());
        layout.oldTagSize = range.leadingTagSize;
        layout.keepFrom = static_cast<off_t>(range.leadingTagSize);
        char magic[3] = {};
        if (range.leadingTagSize == 0 && source.Read(0, magic, 3) == 3 &&
            std::memcmp(magic, "ID3", 3) == 0) {
            // A leading tag whose size runs past the end: it is replaced up
            // to the first frame.
            MpegStreamInfo stream;
            err = ScanMpegStream(source, stream) ? 0 : EINVAL;
            layout.keepFrom = static_cast<off_t>(stream.firstFrameOffset);
        }
    }
    ByteVector tagBytes;
    ByteVector v1Bytes;
    bool inPlace = false;
    if (err == 0) {
        TagLib::MPEG::File file(path.c_str(), false);
        TagLib::ID3v2::Tag* v2 = file.isValid() ? file.ID3v2Tag(true) : nullptr;
        if (v2 == nullptr) {
            err = EINVAL;
        } else {
            ApplyValues(*v2, values);
            ByteVector frames;
            std::set<std::string> ids;
            if (!SplitRenderedTag(v2->render(TagLib::ID3v2::v3), frames, ids)) {
                err = EIO;
            } else {
                frames.append(KeptV4Frames(*v2, ids));
                const std::size_t needed = 10 + frames.size();
                inPlace = layout.oldTagSize >= needed;
                const std::size_t total =
                    inPlace ? layout.oldTagSize : (needed + kGrowPadding + 1023) / 1024 * 1024;
                tagBytes = TagBytes(frames, total);
            }
            layout.id3v1 = file.hasID3v1Tag() && layout.size >= 128;
            if (layout.id3v1) {
                ApplyValues(*file.ID3v1Tag(), values);
                v1Bytes = file.ID3v1Tag()->render();
                layout.id3v1 = v1Bytes.size() == 128;
            }
        }
    }
    if (err == 0) {
        err = inPlace ? WriteInPlace(fd, tagBytes, v1Bytes, layout)
                      : WriteCopy(path, fd, st, tagBytes, v1Bytes, layout);
    }
    ::close(fd);
    return err;
}

}  // namespace corvane
