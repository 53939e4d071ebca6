#include "Mp3Info.h"

#include <cerrno>
#include <climits>
#include <utility>

#include "ByteSource.h"
#include "Id3TagWriter.h"

namespace corvane {

namespace {

const char* VersionText(MpegVersion v) {
    switch (v) {
        case MpegVersion::Mpeg1:
            return "MPEG 1";
        case MpegVersion::Mpeg2:
            return "MPEG 2";
        case MpegVersion::Mpeg25:
            return "MPEG 2.5";
    }
    return "MPEG";
}

const char* ChannelText(ChannelMode mode) {
    switch (mode) {
        case ChannelMode::Stereo:
            return "Stereo";
        case ChannelMode::JointStereo:
            return "Joint Stereo";
        case ChannelMode::DualChannel:
            return "Dual Channel";
        case ChannelMode::Mono:
            return "Mono";
    }
    return "";
}

// The tags of the file at path; empty fields when it cannot be read.
Id3Fields ReadTagsOf(const std::string& path) {
    FileByteSource file;
    if (file.Open(path) != 0) {
        return {};
    }
    CachingByteSource cached(file);
    return ReadId3Fields(cached);
}

}  // namespace

Mp3InfoObject* CreateMp3Info() {
    return new Mp3Info();
}

void Mp3Info::Release() {
    delete this;
}

// Writes reported done are not dropped with the object.
Mp3Info::~Mp3Info() {
    deferred_.Flush(replacedFiles_);
}

// Writes already waiting go on waiting for FlushWrites.
void Mp3Info::SetDeferredWrites(bool deferred) {
    deferWrites_ = deferred;
}

std::vector<DeferredWriteFailure> Mp3Info::FlushWrites() {
    std::vector<DeferredWriteFailure> failures;
    for (auto& [path, result] : deferred_.Flush(replacedFiles_)) {
        failures.push_back({path, result.error, result.reason});
    }
    return failures;
}

int Mp3Info::Open(const std::string& path) {
    opened_ = false;
    path_ = path;
    stream_ = MpegStreamInfo();
    length_ = PlayLength();
    tag_ = Id3Fields();
    FileByteSource file;
    if (const int err = file.Open(path)) {
        return err;
    }
    // The scan and the tag reader share the head and tail read once.
    CachingByteSource source(file);
    if (!ScanMpegStream(source, stream_)) {
        return EILSEQ;
    }
    length_ = ComputePlayLength(stream_);
    tag_ = ReadId3Fields(source);
    opened_ = true;
    return 0;
}

int Mp3Info::WriteTag(const std::string& title, const std::string& artist, const std::string& album,
                      const std::string& year, const std::string& comment, const std::string& track,
                      const std::string& genre) {
    // The extra frames are for this write only.
    const ExtraTagFields extra = std::exchange(extra_, ExtraTagFields());
    if (!opened_) {
        writeError_ = "no file is open";
        return EBADF;
    }
    const Id3WriteValues values{title, artist, album, year, comment, track, genre, extra};
    FileHandle replaced;
    const TagWriteResult result =
        WriteId3Tag(path_, values, &replaced, deferWrites_ ? &deferred_ : nullptr);
    replacedFiles_.Close(replaced);
    writeError_ = result.reason;
    if (result.error == 0) {
        tag_ = ReadTagsOf(deferred_.CurrentName(path_));
    }
    return result.error;
}

std::string Mp3Info::GetFileType() {
    if (!opened_) {
        return "?";
    }
    static const char* const kLayers[] = {"", "I", "II", "III"};
    const MpegFrameHeader& h = stream_.header;
    std::string text = std::string(VersionText(h.version)) + " Layer " + kLayers[h.layer] + ", " +
                       std::to_string(h.sampleRate) + " Hz, " + ChannelText(h.channelMode);
    const int method = stream_.info.vbrMethod;
    if (stream_.hasInfoFrame && (method == 2 || method == 9) && stream_.variableBitrate) {
        text += ", ABR";
    } else if (stream_.variableBitrate) {
        text += ", VBR";
    }
    return text;
}

int Mp3Info::GetBitrate() {
    if (!opened_) {
        return 0;
    }
    const MpegFrameHeader& h = stream_.header;
    const double seconds =
        static_cast<double>(stream_.audioFrames) * h.samplesPerFrame / h.sampleRate;
    if (!stream_.variableBitrate || seconds <= 0.0) {
        return h.bitrateKbps;
    }
    return static_cast<int>(static_cast<double>(stream_.audioBytes) * 8.0 / seconds / 1000.0 + 0.5);
}

int Mp3Info::GetAuxValue() {
    return length_.samples > INT_MAX ? INT_MAX : static_cast<int>(length_.samples);
}

unsigned Mp3Info::GetPlaySeconds() {
    return length_.WholeSeconds();
}

double Mp3Info::GetPlayTime() {
    return length_.Seconds();
}

void Mp3Info::GetCdFrameRange(std::int32_t& shortest, std::int32_t& longest) {
    length_.CdFrameRange(shortest, longest);
}

std::string Mp3Info::GetDiscTag(DiscTag which) {
    switch (which) {
        case DiscTag::kCddbId:
            return tag_.cddbId;
        case DiscTag::kItunesCddb:
            return tag_.itunesCddb;
        case DiscTag::kMusicBrainzId:
            return tag_.musicBrainzDiscId;
        case DiscTag::kCdToc:
            return tag_.cdToc;
        case DiscTag::kMusicBrainzAlbumId:
            return tag_.musicBrainzAlbumId;
    }
    return {};
}

TagDetails Mp3Info::GetTagDetails() {
    return {tag_.albumArtist, tag_.trackCount, tag_.discNumber,
            tag_.discCount,   tag_.coverMime,  tag_.cover};
}

}  // namespace corvane
