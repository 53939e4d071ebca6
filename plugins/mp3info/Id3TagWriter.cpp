#include "Id3TagWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/uniquefileidentifierframe.h>

#include <taglib/tbytevectorstream.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "AudioCheck.h"
#include "AudioRange.h"
#include "ByteSource.h"
#include "FileHandle.h"
#include "Id3TagReader.h"
#include "MpegStreamScanner.h"
#include "platform/FileSystemFlush.h"

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

void SetUserText(TagLib::ID3v2::Tag& tag, const std::string& description,
                 const std::string& value) {
    const String name = FromUtf8(description);
    while (auto* old = TagLib::ID3v2::UserTextIdentificationFrame::find(&tag, name)) {
        tag.removeFrame(old);
    }
    const String text = FromUtf8(value);
    auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(
        text.isLatin1() && name.isLatin1() ? String::Latin1 : String::UTF16);
    frame->setDescription(name);
    frame->setText(text);
    tag.addFrame(frame);
}

void SetUfid(TagLib::ID3v2::Tag& tag, const std::string& owner, const std::string& id) {
    std::vector<TagLib::ID3v2::Frame*> old;
    for (auto* frame : tag.frameListMap()["UFID"]) {
        const auto* ufid = dynamic_cast<TagLib::ID3v2::UniqueFileIdentifierFrame*>(frame);
        if (ufid != nullptr && ufid->owner() == FromUtf8(owner)) {
            old.push_back(frame);
        }
    }
    for (auto* frame : old) {
        tag.removeFrame(frame);
    }
    tag.addFrame(new TagLib::ID3v2::UniqueFileIdentifierFrame(
        FromUtf8(owner), ByteVector(id.data(), static_cast<unsigned>(id.size()))));
}

// The front cover; pictures of other types stay, and so does a front cover
// the file has unless it is to be replaced.
void SetFrontCover(TagLib::ID3v2::Tag& tag, const ExtraTagFields& extra) {
    using Picture = TagLib::ID3v2::AttachedPictureFrame;
    std::vector<TagLib::ID3v2::Frame*> fronts;
    for (auto* frame : tag.frameListMap()["APIC"]) {
        const auto* picture = dynamic_cast<Picture*>(frame);
        if (picture != nullptr && picture->type() == Picture::FrontCover) {
            fronts.push_back(frame);
        }
    }
    if (!fronts.empty() && !extra.replacePicture) {
        return;
    }
    for (auto* frame : fronts) {
        tag.removeFrame(frame);
    }
    auto* picture = new Picture;
    picture->setTextEncoding(String::Latin1);
    picture->setType(Picture::FrontCover);
    picture->setMimeType(FromUtf8(extra.pictureMime));
    picture->setPicture(
        ByteVector(extra.picture.data(), static_cast<unsigned>(extra.picture.size())));
    tag.addFrame(picture);
}

void ApplyExtra(TagLib::ID3v2::Tag& tag, const ExtraTagFields& extra) {
    if (!extra.albumArtist.empty()) {
        SetTextFrame(tag, "TPE2", extra.albumArtist);
    }
    // "1/1" says nothing a player needs.
    if (extra.discNumber > 0 && extra.discCount != 1) {
        SetTextFrame(tag, "TPOS",
                     std::to_string(extra.discNumber) +
                         (extra.discCount > 1 ? "/" + std::to_string(extra.discCount) : ""));
    }
    for (const auto& [description, value] : extra.userTexts) {
        if (!description.empty() && !value.empty()) {
            SetUserText(tag, description, value);
        }
    }
    if (!extra.ufidOwner.empty() && !extra.ufid.empty()) {
        SetUfid(tag, extra.ufidOwner, extra.ufid);
    }
    if (!extra.picture.empty()) {
        SetFrontCover(tag, extra);
    }
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
    const int total = v.extra.trackCount;
    if (track >= 0 && total > 0) {
        SetTextFrame(tag, "TRCK", std::to_string(track) + "/" + std::to_string(total));
    } else if (track < 0 || ParseTrackNumber(FrameText(tag, "TRCK")) != track) {
        SetTextFrame(tag, "TRCK", track >= 0 ? std::to_string(track) : std::string());
    }
    SetComment(tag, v.comment);
    ApplyExtra(tag, v.extra);
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

// A frame size of ID3v2.4: four bytes of seven bits.
std::uint32_t SyncSafe32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t{u[0] & 0x7Fu} << 21) | (std::uint32_t{u[1] & 0x7Fu} << 14) |
           (std::uint32_t{u[2] & 0x7Fu} << 7) | (u[3] & 0x7Fu);
}

// The frames of a rendered ID3v2.3 or v2.4 tag without header and padding,
// and the ids they carry. False when the bytes are not a well-formed tag.
bool SplitRenderedTag(const ByteVector& tag, ByteVector& frames, std::set<std::string>& ids) {
    if (tag.size() < 10 || !tag.startsWith("ID3")) {
        return false;
    }
    const bool v4 = tag[3] == 4;
    std::size_t pos = 10;
    while (pos + 10 <= tag.size() && tag[pos] != 0) {
        const std::uint32_t size =
            v4 ? SyncSafe32(tag.data() + pos + 4) : Be32(tag.data() + pos + 4);
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

ByteVector TagBytes(const ByteVector& frames, std::size_t total, int version) {
    ByteVector out("ID3");
    out.append(static_cast<char>(version == 4 ? 4 : 3));
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

TagWriteResult Failed(int error, const std::string& what) {
    return {error, what + ": " + std::strerror(error)};
}

TagWriteResult AudioMismatch(const std::string& change) {
    return {EIO, change + ", so the file is left as it was"};
}

// The tag as the file has it, up to where the audio begins; a size field
// that claimed more is cut to that.
ByteVector OldTagBytes(ByteSource& source, std::uint64_t tagEnd) {
    ByteVector bytes(static_cast<unsigned>(tagEnd), '\0');
    if (source.Read(0, bytes.data(), bytes.size()) != bytes.size()) {
        return {};
    }
    if (ClaimedId3v2Size(source, 0) != tagEnd) {
        bytes[5] = static_cast<char>(bytes[5] & ~0x10);  // no footer any more
        const std::uint64_t body = tagEnd - 10;
        for (int i = 0; i < 4; ++i) {
            bytes[6 + i] = static_cast<char>((body >> (21 - 7 * i)) & 0x7F);
        }
    }
    return bytes;
}

// The frames of the new tag: the old tag's frames with the values applied.
TagWriteResult RenderFrames(const ByteVector& oldTag, const Id3WriteValues& values,
                            ByteVector& frames) {
    TagLib::ID3v2::Tag empty;
    TagLib::ID3v2::Tag* v2 = &empty;
    TagLib::ByteVectorStream stream(oldTag);
    std::unique_ptr<TagLib::MPEG::File> file;
    if (!oldTag.isEmpty()) {
        file = std::make_unique<TagLib::MPEG::File>(&stream,
                                                    TagLib::ID3v2::FrameFactory::instance(), false);
        v2 = file->ID3v2Tag(true);
    }
    if (v2 == nullptr) {
        return {EINVAL, "its ID3v2 tag cannot be read"};
    }
    ApplyValues(*v2, values);
    const bool v4 = values.extra.id3Version == 4;
    std::set<std::string> ids;
    if (!SplitRenderedTag(v2->render(v4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3), frames, ids)) {
        return {EIO, "the new tag could not be made"};
    }
    if (!v4) {
        frames.append(KeptV4Frames(*v2, ids));
    }
    return {};
}

ByteVector Id3v1Bytes(const Id3WriteValues& values) {
    TagLib::ID3v1::Tag v1;
    ApplyValues(v1, values);
    return v1.render();
}

// The old ID3v1 tag, when the last 128 bytes are one and not audio.
bool HasId3v1(ByteSource& source, const MpegStreamInfo& stream) {
    const std::uint64_t size = source.Size();
    char magic[3] = {};
    return size >= 128 && stream.range.end <= size - 128 &&
           source.Read(size - 128, magic, 3) == 3 && std::memcmp(magic, "TAG", 3) == 0;
}

int WriteBytes(int fd, const ByteVector& bytes, std::uint64_t offset) {
    return WriteAllAt(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
}

TagWriteResult WriteInPlace(int fd, ByteSource& source, const MpegStreamInfo& before,
                            const TagLayout& layout, bool flush) {
    PlannedFile planned(layout, source);
    if (const std::string change = AudioChange(before, source, planned, 0, AudioMoved::kNothing);
        !change.empty()) {
        return AudioMismatch(change);
    }
    if (const int err = WriteBytes(fd, layout.tag, 0)) {
        return Failed(err, "cannot write the tag");
    }
    if (const int err = layout.v1.isEmpty() ? 0 : WriteBytes(fd, layout.v1, layout.keepTo)) {
        return Failed(err, "cannot write the ID3v1 tag");
    }
    // The size stays, so only the data needs flushing.
    return !flush || ::fdatasync(fd) == 0 ? TagWriteResult{}
                                          : Failed(errno, "cannot write the tag");
}

// The new file's bytes and the old one's permissions into the copy, flushed
// unless its batch is flushed later.
int FillCopy(TemporaryCopy& copy, int in, const struct stat& st, const TagLayout& layout,
             bool flush) {
    const std::uint64_t tagSize = layout.tag.size();
    int err = WriteBytes(copy.fd(), layout.tag, 0);
    if (err == 0) {
        err = CopyRange(in, copy.fd(), static_cast<off_t>(layout.keepFrom),
                        static_cast<off_t>(layout.keepTo), static_cast<off_t>(tagSize));
    }
    if (err == 0 && !layout.v1.isEmpty()) {
        err = WriteBytes(copy.fd(), layout.v1, tagSize + layout.keepTo - layout.keepFrom);
    }
    if (err == 0 && ::fchmod(copy.fd(), st.st_mode & 07777) != 0) {
        err = errno;
    }
    // Keeping the owner may be refused to a normal user; the copy is still good.
    [[maybe_unused]] const int ignored = err == 0 ? ::fchown(copy.fd(), st.st_uid, st.st_gid) : 0;
    if (err == 0 && flush && ::fsync(copy.fd()) != 0) {
        err = errno;
    }
    const int closeErr = copy.Close();
    return err != 0 ? err : closeErr;
}

// Whether the file at path is still the one that was read (nothing replaced
// or changed it meanwhile), so that renaming the copy over it loses nothing.
bool StillTheSame(const std::string& path, const struct stat& read) {
    struct stat now {};
    return ::stat(path.c_str(), &now) == 0 && now.st_dev == read.st_dev &&
           now.st_ino == read.st_ino && now.st_size == read.st_size &&
           now.st_mtim.tv_sec == read.st_mtim.tv_sec && now.st_mtim.tv_nsec == read.st_mtim.tv_nsec;
}

const TagWriteResult kFileChanged{
    EBUSY, "the file changed while its tag was written, so it is left as it is"};

// The copy, written and checked; renamed over the file when replace.
TagWriteResult WriteCopy(const std::string& path, int in, const struct stat& st, ByteSource& source,
                         const MpegStreamInfo& before, const TagLayout& layout, TemporaryCopy& copy,
                         bool replace) {
    if (const int err = copy.Create(path)) {
        return Failed(err, "cannot create a copy beside it");
    }
    if (const int err = FillCopy(copy, in, st, layout, replace)) {
        return Failed(err, "cannot write the copy");
    }
    FileByteSource written;
    if (const int err = written.Open(copy.name())) {
        return Failed(err, "cannot read the copy back");
    }
    const std::int64_t shift =
        static_cast<std::int64_t>(layout.tag.size()) - static_cast<std::int64_t>(layout.keepFrom);
    if (const std::string change = AudioChange(before, source, written, shift, AudioMoved::kCopied);
        !change.empty()) {
        return AudioMismatch(change);
    }
    if (!replace) {
        return {};
    }
    if (!StillTheSame(path, st)) {
        return kFileChanged;
    }
    if (const int err = copy.Replace(path)) {
        return Failed(err, "cannot put the copy in place of the file");
    }
    SyncFolder(path);
    return {};
}

std::string RealPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        return path;
    }
    std::string out = real;
    std::free(real);
    return out;
}

TagWriteResult PlanLayout(ByteSource& source, const MpegStreamInfo& stream,
                          const Id3WriteValues& values, TagLayout& layout, bool& inPlace) {
    const std::uint64_t size = source.Size();
    layout.keepFrom = stream.range.leadingTagSize;
    const ByteVector oldTag = OldTagBytes(source, layout.keepFrom);
    if (oldTag.size() != layout.keepFrom) {
        return {EIO, "its ID3v2 tag cannot be read"};
    }
    ByteVector frames;
    if (TagWriteResult r = RenderFrames(oldTag, values, frames); r.error != 0) {
        return r;
    }
    const std::size_t needed = 10 + frames.size();
    inPlace = layout.keepFrom >= needed;
    const std::size_t total =
        inPlace ? layout.keepFrom : (needed + kGrowPadding + 1023) / 1024 * 1024;
    if (total - 10 >= (1u << 28)) {
        return {EFBIG, "the new tag would be too large"};
    }
    layout.tag = TagBytes(frames, total, values.extra.id3Version);
    const bool v1 = HasId3v1(source, stream);
    layout.keepTo = v1 ? size - 128 : size;
    layout.v1 = v1 ? Id3v1Bytes(values) : ByteVector();
    if (v1 && layout.v1.size() != 128) {
        return {EIO, "the new ID3v1 tag could not be made"};
    }
    return {};
}

}  // namespace

TagWriteResult WriteId3Tag(const std::string& linkPath, const Id3WriteValues& values,
                           FileHandle* replaced, DeferredWrites* deferred) {
    // Renaming a copy over a symbolic link would replace the link, not the file.
    const std::string path = RealPath(linkPath);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return Failed(errno, "cannot find the file");
    }
    if (!S_ISREG(st.st_mode)) {
        return {EINVAL, "it is not a regular file"};
    }
    // The read-only attribute is the owner's write bit; honoured even for root.
    if ((st.st_mode & S_IWUSR) == 0) {
        return {EACCES, "the file is read-only"};
    }
    FileHandle file(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (!file.IsOpen()) {
        return Failed(errno, "cannot open the file");
    }
    FileByteSource reader;
    if (const int err = reader.Open(path)) {
        return Failed(err, "cannot read the file");
    }
    // The tag, the first frame and the tail, read once for the scan and the plan.
    CachingByteSource source(reader);
    MpegStreamInfo before;
    if (!ScanMpegStream(source, before, FrameCount::kFirstFrame)) {
        return {EILSEQ, "no MPEG audio was found in it"};
    }
    // Where one flush of the file system cannot stand for the file's own,
    // the write goes through at once.
    if (deferred != nullptr && !OneFlushCoversFileSystem(file.fd())) {
        deferred = nullptr;
    }
    TagLayout layout;
    bool inPlace = false;
    if (TagWriteResult r = PlanLayout(source, before, values, layout, inPlace); r.error != 0) {
        return r;
    }
    if (inPlace) {
        const TagWriteResult result =
            WriteInPlace(file.fd(), source, before, layout, deferred == nullptr);
        if (result.error == 0 && deferred != nullptr) {
            deferred->AddInPlace(linkPath, file.fd());
        }
        return result;
    }
    auto copy = std::make_unique<TemporaryCopy>();
    const TagWriteResult result =
        WriteCopy(path, file.fd(), st, source, before, layout, *copy, deferred == nullptr);
    if (result.error == 0 && deferred != nullptr) {
        deferred->AddCopy(linkPath, path, std::move(copy), st, std::move(file));
    } else if (result.error == 0 && replaced != nullptr) {
        replaced->Reset(file.Detach());
    }
    return result;
}

void DeferredWrites::KeepDevice(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && devices_.count(st.st_dev) == 0) {
        devices_.emplace(st.st_dev, FileHandle(::fcntl(fd, F_DUPFD_CLOEXEC, 0)));
    }
}

void DeferredWrites::AddInPlace(const std::string& name, int fd) {
    KeepDevice(fd);
    struct stat st {};
    ::fstat(fd, &st);
    inPlace_.emplace_back(name, st.st_dev);
}

void DeferredWrites::AddCopy(const std::string& name, const std::string& path,
                             std::unique_ptr<TemporaryCopy> copy, const struct stat& read,
                             FileHandle original) {
    KeepDevice(original.fd());
    copies_.push_back({name, path, std::move(copy), read, std::move(original)});
}

std::string DeferredWrites::CurrentName(const std::string& name) const {
    for (const Copy& waiting : copies_) {
        if (waiting.name == name) {
            return waiting.copy->name();
        }
    }
    return name;
}

std::vector<std::pair<std::string, TagWriteResult>> DeferredWrites::Flush(
    BackgroundCloser& closer) {
    std::map<dev_t, int> flushErrors;
    for (const auto& [device, file] : devices_) {
        // A file that could not be kept open leaves nothing to flush by.
        flushErrors[device] = !file.IsOpen() ? EBADF : ::syncfs(file.fd()) == 0 ? 0 : errno;
    }
    std::vector<std::pair<std::string, TagWriteResult>> failures;
    for (const auto& [path, device] : inPlace_) {
        if (const int err = flushErrors[device]) {
            failures.emplace_back(path, Failed(err, "cannot write the tag"));
        }
    }
    // Only a copy on the disk takes the place of its file.
    std::map<std::string, std::string> folders;  // folder, a file in it
    for (Copy& waiting : copies_) {
        TagWriteResult result;
        if (const int err = flushErrors[waiting.read.st_dev]) {
            result = Failed(err, "cannot write the copy");
        } else if (!StillTheSame(waiting.path, waiting.read)) {
            result = kFileChanged;
        } else if (const int renameErr = waiting.copy->Replace(waiting.path)) {
            result = Failed(renameErr, "cannot put the copy in place of the file");
        }
        if (result.error != 0) {
            failures.emplace_back(waiting.name, result);
            continue;
        }
        folders.emplace(waiting.path.substr(0, waiting.path.rfind('/') + 1), waiting.path);
        closer.Close(waiting.original);
    }
    for (const auto& [folder, file] : folders) {
        SyncFolder(file);
    }
    inPlace_.clear();
    copies_.clear();  // a copy not put in place is removed
    devices_.clear();
    return failures;
}

}  // namespace corvane
