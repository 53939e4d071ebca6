#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

// The disc identifiers that rippers and players keep in a file's tag.
enum class DiscTag : int {
    kCddbId = 0,              // TXXX "DISCID" or "CDDB DiscID": the freedb id as hex text
    kItunesCddb = 1,          // COMM or TXXX "iTunes_CDDB_1": "ID+LEADOUT+COUNT+OFFSET..."
    kMusicBrainzId = 2,       // TXXX "MusicBrainz Disc Id"
    kCdToc = 3,               // MCDI: the CD's table of contents, binary
    kMusicBrainzAlbumId = 4,  // TXXX "MusicBrainz Album Id": the release's id
};

// The frames a run writes beside the seven fields. An empty text or a 0
// leaves the frame as the file has it.
struct ExtraTagFields {
    std::string albumArtist;  // TPE2
    int trackCount = 0;       // TRCK "n/N"
    int discNumber = 0;       // TPOS "d/D" ("d" when discCount is 0); "1/1" is not written
    int discCount = 0;
    // TXXX frames by description, each replacing the frame of that description.
    std::vector<std::pair<std::string, std::string>> userTexts;
    std::string ufidOwner;  // UFID, replacing the one of that owner
    std::string ufid;
    // An APIC front cover (type 3); a front cover the file has stays unless
    // replacePicture.
    std::string picture;
    std::string pictureMime;
    bool replacePicture = false;
    int id3Version = 3;  // 3: ID3v2.3 with TYER; 4: ID3v2.4 with TDRC

    bool operator==(const ExtraTagFields&) const = default;
};

// The tag's fields beyond the seven, of the file opened last.
struct TagDetails {
    std::string albumArtist;
    int trackCount = 0;  // the N of TRCK "n/N"; 0 = none
    int discNumber = 0;  // TPOS "d/D"
    int discCount = 0;
    std::string coverMime;  // the embedded front cover; empty = none
    std::string cover;      // its bytes
};

// A deferred tag write that failed when its batch was flushed.
struct DeferredWriteFailure {
    std::string path;    // as WriteTag's Open was given it
    int error = 0;       // an errno value
    std::string reason;  // as GetWriteError gives it
};

// The MP3 information component (Mp3Info.so). One object reads the stream
// details and the ID3 fields of one file at a time and writes ID3 fields back.
// Query operations report on the file that Open opened last.
class Mp3InfoObject {
public:
    // Destroys the object; it must not be used afterwards.
    virtual void Release() = 0;
    // 0 = opened; non-zero = no valid MPEG audio stream or unreadable file.
    virtual int Open(const std::string& path) = 0;
    // Writes the tag of the file opened last. 0 on success, otherwise an errno
    // value that says why (the file is then left as it was).
    virtual int WriteTag(const std::string& title, const std::string& artist,
                         const std::string& album, const std::string& year,
                         const std::string& comment, const std::string& track,
                         const std::string& genre) = 0;
    // Why the last WriteTag failed, as a phrase for the log ("the file is
    // read-only"); empty after a success or when the component cannot say.
    virtual std::string GetWriteError() { return {}; }
    virtual std::string GetFileType() = 0;
    virtual int GetBitrate() = 0;  // kbit/s
    virtual int GetAuxValue() = 0;
    virtual unsigned GetPlaySeconds() = 0;
    virtual double GetPlayTime() = 0;  // seconds, exact decoded length
    virtual std::string GetTitle() = 0;
    virtual std::string GetArtist() = 0;
    virtual std::string GetAlbum() = 0;
    virtual std::string GetComment() = 0;
    virtual std::string GetGenre() = 0;
    virtual int GetYear() = 0;   // 0 or less = none
    virtual int GetTrack() = 0;  // -1 = none
    virtual int HasTag() = 0;    // non-zero when the file has a tag

    // Operations added later go here, after all others, each with a default
    // that an older component's object can live with.

    // 1 when GetPlayTime is exact (the encoder gave its delay and padding),
    // 0 when it is an estimate.
    virtual int IsLengthExact() { return 1; }
    // For an estimate, the shortest and longest whole number of CD frames
    // (1/75 s) that the true length can be; GetPlayTime is the likeliest
    // length in that range.
    virtual void GetCdFrameRange(std::int32_t& shortest, std::int32_t& longest) {
        shortest = longest = 0;
    }
    // The tag's value for one disc identifier as it is stored (bytes for the
    // table of contents); empty when the tag has none.
    virtual std::string GetDiscTag(DiscTag /*which*/) { return {}; }
    // The Chromaprint fingerprint of the file at path, as fpcalc prints it and
    // AcoustID takes it (its first two minutes, compressed, base64), and the
    // file's length in whole seconds. Needs no Open and leaves the object as
    // it was, so that one object per thread can fingerprint files side by
    // side. 0 on success; non-zero when the file cannot be decoded.
    virtual int GetFingerprint(const std::string& /*path*/, std::string& fingerprint,
                               int& seconds) {
        fingerprint.clear();
        seconds = 0;
        return -1;
    }
    // The frames the next WriteTag writes beside the seven fields; WriteTag
    // forgets them. An older component writes the seven fields only.
    virtual void SetExtraFields(const ExtraTagFields& /*fields*/) {}
    virtual TagDetails GetTagDetails() { return {}; }
    // With deferred writes on, a WriteTag that succeeds has written the new
    // tag but left it unflushed: in place, or in a copy beside the file that
    // is not yet renamed over it. FlushWrites then makes the whole batch
    // durable with one flush of each file system, puts the copies in place
    // and flushes their folders, and returns the writes that failed there.
    // A batch thus costs one wait for the disk, not one per file. Turning
    // deferral off leaves waiting writes to FlushWrites (or to the object's
    // end). An older component writes each file through at once.
    virtual void SetDeferredWrites(bool /*deferred*/) {}
    virtual std::vector<DeferredWriteFailure> FlushWrites() { return {}; }

protected:
    virtual ~Mp3InfoObject() = default;
};

// Signature of the plug-in's exported "CreateObject".
using CreateMp3InfoFn = Mp3InfoObject* (*)(void* moduleHandle);

}  // namespace corvane
