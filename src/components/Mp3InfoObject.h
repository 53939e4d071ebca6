#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// The disc identifiers that rippers and players keep in a file's tag.
enum class DiscTag : int {
    kCddbId = 0,         // TXXX "DISCID" or "CDDB DiscID": the freedb id as hex text
    kItunesCddb = 1,     // COMM or TXXX "iTunes_CDDB_1": "ID+LEADOUT+COUNT+OFFSET..."
    kMusicBrainzId = 2,  // TXXX "MusicBrainz Disc Id"
    kCdToc = 3,          // MCDI: the CD's table of contents, binary
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

protected:
    virtual ~Mp3InfoObject() = default;
};

// Signature of the plug-in's exported "CreateObject".
using CreateMp3InfoFn = Mp3InfoObject* (*)(void* moduleHandle);

}  // namespace corvane
