#pragma once

#include <string>

#include "FileHandle.h"
#include "Fingerprinter.h"
#include "Id3TagReader.h"
#include "Id3TagWriter.h"
#include "MpegStreamScanner.h"
#include "PlayLength.h"
#include "components/Mp3InfoObject.h"

namespace corvane {

// The MP3 information component: stream details from the project's own
// frame scanner, ID3 fields through TagLib.
class Mp3Info final : public Mp3InfoObject {
public:
    void Release() override;
    int Open(const std::string& path) override;
    int WriteTag(const std::string& title, const std::string& artist, const std::string& album,
                 const std::string& year, const std::string& comment, const std::string& track,
                 const std::string& genre) override;
    std::string GetWriteError() override { return writeError_; }
    std::string GetFileType() override;
    int GetBitrate() override;
    // The decoded length in samples per channel (the exact figure behind
    // GetPlayTime), capped at INT_MAX.
    int GetAuxValue() override;
    unsigned GetPlaySeconds() override;
    double GetPlayTime() override;
    std::string GetTitle() override { return tag_.title; }
    std::string GetArtist() override { return tag_.artist; }
    std::string GetAlbum() override { return tag_.album; }
    std::string GetComment() override { return tag_.comment; }
    std::string GetGenre() override { return tag_.genre; }
    int GetYear() override { return tag_.year; }
    int GetTrack() override { return tag_.track; }
    int HasTag() override { return tag_.hasTag ? 1 : 0; }
    int IsLengthExact() override { return length_.exact ? 1 : 0; }
    void GetCdFrameRange(std::int32_t& shortest, std::int32_t& longest) override;
    std::string GetDiscTag(DiscTag which) override;
    void SetExtraFields(const ExtraTagFields& fields) override { extra_ = fields; }
    TagDetails GetTagDetails() override;
    int GetFingerprint(const std::string& path, std::string& fingerprint, int& seconds) override {
        return ComputeFingerprint(path, fingerprint, seconds);
    }
    void SetDeferredWrites(bool deferred) override;
    std::vector<DeferredWriteFailure> FlushWrites() override;

    // What the last Open found; for tests and tools.
    const MpegStreamInfo& Stream() const { return stream_; }
    const PlayLength& Length() const { return length_; }

private:
    ~Mp3Info() override;
    friend Mp3InfoObject* CreateMp3Info();

    std::string path_;
    bool opened_ = false;
    MpegStreamInfo stream_;
    PlayLength length_;
    Id3Fields tag_;
    std::string writeError_;
    ExtraTagFields extra_;
    bool deferWrites_ = false;
    DeferredWrites deferred_;
    // Frees the blocks of the files that tag writes replaced.
    BackgroundCloser replacedFiles_;
};

// A new object; the caller ends it with Release().
Mp3InfoObject* CreateMp3Info();

}  // namespace corvane
